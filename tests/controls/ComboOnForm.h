#pragma once
// A shown form at a known place holding one combo box of the test's kind, made
// afresh for each test. The form owns the combo box.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "tests/common/PlacedForm.h"

template <class Combo, int Width = 150>
class ComboOnForm : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(60, 60, 300, 200);
        combo = new Combo(form);
        combo->SetBounds(10, 10, Width, 21);
        combo->SetParent(form);
        form->Show();
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    fw::TForm* form = nullptr;
    Combo* combo = nullptr;
};
