// The edit box: text and settings kept across windows, and OnChange for every change.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/Application.h"
#include "framework/Edit.h"
#include "tests/common/PlacedForm.h"

namespace {

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(40, 40, 320, 200);
        edit = new fw::TEdit(form);
        edit->SetBounds(10, 10, 99, 21);
        edit->OnChange = [this](fw::TObject*) { texts.push_back(edit->Text()); };
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    fw::TForm* form = nullptr;
    fw::TEdit* edit = nullptr;
    std::vector<std::wstring> texts;
};

TEST_F(EditTest, EveryChangeOfTheTextFiresOnChangeOnceAndSettingsSurviveTheWindow) {
    edit->SetText(L"*");  // no window yet
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"*"}));
    edit->SetParent(form);
    edit->SetMaxLength(12);
    form->Show();
    ASSERT_TRUE(edit->HandleAllocated());
    EXPECT_EQ(texts.size(), 1u);  // making the window is no change
    edit->SetText(L"*.txt");
    SendMessageW(edit->Handle(), WM_CHAR, L';', 0);  // typed: the window changes its own text
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"*", L"*.txt", L";*.txt"}));
    edit->SetText(L";*.txt");  // the same text is no change
    EXPECT_EQ(texts.size(), 3u);

    const HWND before = edit->Handle();
    edit->SetAlignment(fw::taCenter);
    EXPECT_FALSE(IsWindow(before));
    EXPECT_TRUE(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & ES_CENTER);
    EXPECT_EQ(edit->Text(), L";*.txt");
    EXPECT_EQ(texts.size(), 3u);  // nor is making it again
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 12);
    edit->SetReadOnly(true);
    EXPECT_TRUE(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & ES_READONLY);
}

}  // namespace
