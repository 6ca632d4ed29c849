#pragma once
// One shown form for a whole suite (showing a window is slow) and, for each test,
// a fresh grid of class Grid, 400 x 300 pixels at the form's top left.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/Forms.h"

namespace testenv {

template <class Grid>
class GridOnShownForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        form = new fw::TForm(nullptr);
        form->SetBounds(10, 10, 500, 400);
        form->Show();
        Pump();
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
    }
    void SetUp() override {
        grid = new Grid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 300);
        Pump();
    }
    void TearDown() override { delete grid; }
    static void Pump() { fw::Application()->ProcessMessages(); }

    static inline fw::TForm* form = nullptr;
    Grid* grid = nullptr;
};

}  // namespace testenv
