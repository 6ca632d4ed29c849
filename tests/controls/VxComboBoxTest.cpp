// The combo box base and the pixel-width limit on real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include "ComboOnForm.h"
#include "RecordingProvider.h"
#include "controls/VxComboBox.h"
#include "controls/VxDataConsumerExt.h"
#include "framework/Filer.h"

namespace {

using VxComboBoxTest = ComboOnForm<vx::TVxCustomComboBox>;

TEST_F(VxComboBoxTest, PixelLimitCutsWholeCharactersOnlyAndCutsTheText) {
    vx::TVxMaxPixel limit(combo);
    int changes = 0;
    limit.OnChanged = [&](fw::TObject*) { ++changes; };
    std::wstring text = L"a fairly long text";
    EXPECT_TRUE(limit.Test(text, combo->Font()));  // no limit
    EXPECT_EQ(text, L"a fairly long text");
    limit.SetLength(0);
    EXPECT_EQ(changes, 0);
    limit.SetLength(10000);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(limit.Test(text, combo->Font()));
    EXPECT_EQ(text, L"a fairly long text");
    limit.SetLength(1);
    EXPECT_TRUE(limit.Test(text, combo->Font()));
    EXPECT_TRUE(text.empty());
    // CJK and emoji: a pair is never split, whatever the width.
    const std::wstring mixed = L"\u6F22\u5B57\U0001F600\U0001F600x\U0001F680";
    fw::TControlCanvas canvas(combo);
    canvas.SetFont(combo->Font());
    for (int width = 1; width <= canvas.TextWidth(mixed) + 1; ++width) {
        limit.SetLength(width);
        std::wstring s = mixed;
        limit.Test(s, combo->Font());
        ASSERT_TRUE(s.empty() || !IS_HIGH_SURROGATE(s.back())) << width;
        ASSERT_EQ(mixed.compare(0, s.size(), s), 0);
        ASSERT_TRUE(s.empty() || canvas.TextWidth(s) <= width);
    }
    std::wstring lone = L"ab\xD800";  // an unpaired high surrogate goes alone
    vx::DeleteLastCharacter(lone);
    EXPECT_EQ(lone, L"ab");
    // The control's own text is cut as it changes.
    combo->MaxPixel()->SetLength(canvas.TextWidth(L"abc") + 1);
    combo->SetText(L"abcdefgh");
    EXPECT_LE(canvas.TextWidth(combo->Text()), combo->MaxPixel()->Length());
    EXPECT_EQ(std::wstring(L"abcdefgh").substr(0, combo->Text().size()), combo->Text());
}

TEST_F(VxComboBoxTest, PlaceholderShowsGreyWhileEmptyAndUnfocused) {
    const fw::TColor colour = combo->Font()->Color();
    combo->SetEmptyValue(L"(none)");
    EXPECT_TRUE(combo->ShowingEmptyValue());
    EXPECT_EQ(combo->Text(), L"");
    EXPECT_EQ(combo->Font()->Color(), fw::clGrayText);
    wchar_t shown[32]{};
    GetWindowTextW(combo->Handle(), shown, 32);
    EXPECT_STREQ(shown, L"(none)");
    // Setting a text replaces the placeholder.
    combo->SetText(L"real");
    EXPECT_FALSE(combo->ShowingEmptyValue());
    EXPECT_EQ(combo->Text(), L"real");
    EXPECT_EQ(combo->Font()->Color(), colour);
    combo->SetText(L"");
    EXPECT_TRUE(combo->ShowingEmptyValue());
    // Entered, it gives way; left for another control, it comes back.
    auto* other = new vx::TVxCustomComboBox(form);
    other->SetBounds(10, 40, 150, 21);
    other->SetParent(form);
    combo->SetFocus();
    fw::Application()->ProcessMessages();
    EXPECT_FALSE(combo->ShowingEmptyValue());
    EXPECT_EQ(combo->Font()->Color(), colour);
    other->SetFocus();
    fw::Application()->ProcessMessages();
    EXPECT_TRUE(combo->ShowingEmptyValue());
    EXPECT_EQ(combo->Font()->Color(), fw::clGrayText);
}

TEST_F(VxComboBoxTest, ClearKeepsTheTextAndLongItemsReadBackWhole) {
    combo->Items()->Add(L"one");
    const std::wstring longText(5000, L'x');
    combo->Items()->Add(longText);
    EXPECT_EQ(combo->Items()->Strings(1), longText);
    combo->SetText(L"shown");
    combo->Items()->Clear();
    EXPECT_EQ(combo->Items()->Count(), 0);
    EXPECT_EQ(combo->Text(), L"shown");
    EXPECT_THROW(combo->Items()->Strings(3), fw::EListError);
}

TEST_F(VxComboBoxTest, ReadOnlyIgnoresTypingKeysAndClicks) {
    combo->SetStyle(fw::csDropDownList);
    combo->Items()->SetText(L"a\r\nb\r\nc");
    combo->SetItemIndex(0);
    combo->SetReadOnly(true);
    const HWND wnd = combo->Handle();
    SendMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(wnd, WM_CHAR, L'c', 0);
    SendMessageW(wnd, WM_KEYDOWN, VK_F4, 0);
    SendMessageW(wnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_FALSE(combo->DroppedDown());
    combo->SetReadOnly(false);
    SendMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST_F(VxComboBoxTest, ReadOnlyDropDownIgnoresListKeysTypedIntoItsEditPart) {
    combo->SetStyle(fw::csDropDown);
    combo->Items()->SetText(L"a\r\nb\r\nc");
    combo->SetItemIndex(0);
    combo->SetReadOnly(true);
    const HWND edit = combo->EditHandle();
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(edit, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(edit, WM_KEYDOWN, VK_F4, 0);
    SendMessageW(edit, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_FALSE(combo->DroppedDown());
    combo->SetReadOnly(false);
    SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo->ItemIndex(), 1);
    // Alt+F4 typed there still closes the form.
    combo->SetReadOnly(true);
    SetForegroundWindow(form->Handle());
    SetFocus(edit);
    fw::Application()->ProcessMessages();
    EXPECT_EQ(GetFocus(), edit);
    INPUT keys[4]{};
    const WORD codes[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, keys, sizeof(INPUT));
    fw::Application()->ProcessMessages();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(VxComboBoxTest, ANewWindowTakesTheDropDownWidthAndTheReadOnlyEdit) {
    combo->SetDroppedWidth(250);  // wider than the box, which the system keeps as the least
    combo->SetReadOnly(true);
    combo->RecreateWnd();
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 250);
    ASSERT_NE(combo->EditHandle(), nullptr);
    EXPECT_TRUE(GetWindowLongW(combo->EditHandle(), GWL_STYLE) & ES_READONLY);
}

TEST_F(VxComboBoxTest, StreamedCtl3DIsReadAndNeverWritten) {
    fw::TMemoryStream stream;
    fw::TWriter writer(&stream);
    writer.WritePropName(L"Ctl3D");
    writer.WriteBoolean(false);
    writer.WritePropName(L"ParentCtl3D");
    writer.WriteBoolean(false);
    writer.WriteListEnd();
    stream.SetPosition(0);
    fw::TReader reader(&stream);
    reader.ReadProperties(combo);
    EXPECT_FALSE(combo->Ctl3D());
    EXPECT_FALSE(combo->ParentCtl3D());
    fw::TMemoryStream written;
    fw::TWriter again(&written);
    again.WriteProperties(combo);
    const std::string bytes(static_cast<const char*>(written.Memory()), size_t(written.Size()));
    EXPECT_EQ(bytes.find(std::string(reinterpret_cast<const char*>(L"Ctl3D"), 10)), std::string::npos);
}

TEST_F(VxComboBoxTest, ProviderModeShowsTheViewRowsAndBackAgain) {
    vx::RegisterDataProviderClasses();
    testdp::RecordingProvider provider;
    auto* a = testdp::AddItem(provider.Root(), L"a", L"Alpha");
    testdp::AddItem(testdp::Children(a), L"a1", L"Alpha one");
    testdp::AddItem(provider.Root(), L"b", L"Beta");
    combo->SetStyle(fw::csDropDownList);
    combo->Items()->SetText(L"kept\r\nlines");
    combo->Consumer()->SetProviderIntf(&provider);
    ASSERT_TRUE(combo->ProviderSelected());
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 3);  // every level expanded
    EXPECT_EQ(combo->ItemText(1), L"Alpha one");
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_FINDSTRING, WPARAM(-1), LPARAM(L"be")), 2);
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_FINDSTRINGEXACT, WPARAM(0), LPARAM(L"alpha")), 0);
    EXPECT_THROW(combo->ItemText(3), fw::EListError);
    UpdateWindow(form->Handle());  // draws through the provider's items
    // A search selects from the view; a row the user picks is told as chosen.
    int selects = 0;
    combo->OnSelect = [&](fw::TObject*) { ++selects; };
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_SELECTSTRING, WPARAM(-1), LPARAM(L"alpha o")), 1);
    EXPECT_EQ(combo->ItemIndex(), 1);
    SendMessageW(combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(selects, 1);
    combo->OnSelect = nullptr;
    // While loading, lines go to the kept list, not to the window.
    combo->BeginLoading();
    combo->Items()->Add(L"loaded");
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
    combo->EndLoading();
    EXPECT_TRUE(combo->ProviderSelected());
    // A new root item shows at once.
    provider.RootManagement()->New();
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 4);
    // Editing the list ends provider mode; the kept lines are back.
    combo->Items()->Add(L"more");
    EXPECT_FALSE(combo->ProviderSelected());
    EXPECT_EQ(combo->Items()->Count(), 4);
    EXPECT_EQ(combo->Items()->Strings(0), L"kept");
    EXPECT_EQ(combo->Items()->Strings(2), L"loaded");
    EXPECT_TRUE(provider.notifies.empty());
}

}  // namespace
