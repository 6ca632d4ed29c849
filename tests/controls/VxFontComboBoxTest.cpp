// The font combo box on a real window, with the prefix's fonts and test printer.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "ComboOnForm.h"
#include "controls/VxFontComboBox.h"
#include "framework/Filer.h"
#include "framework/SysUtils.h"

using vx::FontOption;

namespace {

// As wide as the main window's.
class VxFontComboBoxTest : public ComboOnForm<vx::TVxFontComboBox, 117> {
protected:
    std::vector<std::wstring> Listed() {
        std::vector<std::wstring> names;
        for (int i = 0; i < combo->Items()->Count(); ++i) names.push_back(combo->Items()->Strings(i));
        return names;
    }
    // Every enumerated entry of a face.
    static std::vector<fw::TFontFace> EntriesOf(const std::vector<fw::TFontFace>& faces, const std::wstring& name) {
        std::vector<fw::TFontFace> out;
        for (const auto& f : faces)
            if (fw::AnsiSameText(f.Name, name)) out.push_back(f);
        return out;
    }
    // The lines a list of these entries shows: one per face, whatever its character sets.
    static size_t FaceCount(const std::vector<fw::TFontFace>& faces) {
        std::set<std::wstring> names;
        for (const auto& f : faces) names.insert(fw::AnsiUpperCase(f.Name));
        return names.size();
    }
    void ChooseWithEnter(const std::wstring& name) {
        combo->SetItemIndex(combo->Items()->IndexOf(name));
        SendMessageW(combo->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    }
};

TEST_F(VxFontComboBoxTest, ListsScreenFacesWithTheirGlyphKindAndSelectsItsOwnFont) {
    const std::vector<fw::TFontFace> faces = fw::ScreenFontFaces();
    ASSERT_FALSE(faces.empty());
    EXPECT_EQ(combo->FontName(), combo->Font()->Name());  // a new control shows its own face
    EXPECT_EQ(combo->Style(), fw::csOwnerDrawFixed);
    EXPECT_FALSE(combo->AutoComplete());
    EXPECT_FALSE(combo->AutoDropDown());
    EXPECT_GE(combo->ItemHeight(), combo->TrueTypeGlyph()->Height());
    EXPECT_EQ(combo->TrueTypeGlyph()->Width(), 16);  // the resource, not a blank stand-in
    EXPECT_EQ(combo->TrueTypeGlyph()->Canvas()->Pixels(0, 0), fw::clFuchsia);
    EXPECT_NE(combo->TrueTypeGlyph()->Canvas()->Pixels(0, 2), fw::clFuchsia);
    const std::vector<std::wstring> listed = Listed();
    EXPECT_EQ(listed.size(), FaceCount(faces));
    bool sawOther = false;
    for (int i = 0; i < combo->Items()->Count(); ++i) {
        const DWORD type = combo->FontType(i);
        EXPECT_EQ(type, EntriesOf(faces, listed[size_t(i)]).front().FontType);
        sawOther = sawOther || !(type & TRUETYPE_FONTTYPE);
    }
    EXPECT_TRUE(sawOther) << "the prefix has faces that are not TrueType";
    EXPECT_EQ(combo->GlyphFor(DEVICE_FONTTYPE), combo->DeviceGlyph());
    EXPECT_EQ(combo->GlyphFor(RASTER_FONTTYPE), combo->FixedGlyph());
    EXPECT_EQ(combo->GlyphFor(TRUETYPE_FONTTYPE | DEVICE_FONTTYPE), combo->TrueTypeGlyph());
}

TEST_F(VxFontComboBoxTest, PrinterFacesComeFromTheTestPrinterAndBothAddScreenFaces) {
    ASSERT_FALSE(fw::DefaultPrinterName().empty());
    const size_t screen = combo->Items()->Count();
    combo->SetDevice(fw::fdPrinter);
    const std::vector<std::wstring> printer = Listed();
    EXPECT_FALSE(printer.empty());
    EXPECT_EQ(printer.size(), FaceCount(fw::PrinterFontFaces()));
    combo->SetDevice(fw::fdBoth);
    EXPECT_GE(size_t(combo->Items()->Count()), screen);
    EXPECT_GE(size_t(combo->Items()->Count()), printer.size());
}

TEST_F(VxFontComboBoxTest, FontNameSelectsFacesSubstitutesAndUnverifiedNames) {
    const std::wstring before = combo->Font()->Name();
    combo->SetFontName(L"Tahoma");
    EXPECT_EQ(combo->FontName(), L"Tahoma");
    EXPECT_EQ(combo->Font()->Name(), before);  // choosing never changes the control's font
    // A face named only under FontSubstitutes selects its substitute.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
                              0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t target[] = L"Tahoma";
    RegSetValueExW(key, L"Tabulorin Test Face", 0, REG_SZ, reinterpret_cast<const BYTE*>(target), sizeof(target));
    RegCloseKey(key);
    combo->SetItemIndex(0);
    combo->SetFontName(L"Tabulorin Test Face");
    EXPECT_EQ(combo->FontName(), L"Tahoma");
    // Unknown: nothing is selected, unless foDisableVerify adds it as TrueType.
    const int count = combo->Items()->Count();
    combo->SetFontName(L"No Such Face");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->FontName(), L"");
    combo->SetOptions(FontOption(vx::foDisableVerify));
    combo->SetFontName(L"No Such Face");
    EXPECT_EQ(combo->Items()->Count(), count + 1);
    EXPECT_EQ(combo->ItemIndex(), count);
    EXPECT_EQ(combo->FontType(count), DWORD(TRUETYPE_FONTTYPE));
    // A user's choice changes the text, not the font.
    const HWND wnd = combo->Handle();
    SendMessageW(wnd, CB_SETCURSEL, 0, 0);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), CBN_SELCHANGE), LPARAM(wnd));
    EXPECT_EQ(combo->FontName(), combo->Items()->Strings(0));
    EXPECT_EQ(combo->Font()->Name(), before);
    combo->SetFontName(L"Tahoma");
    combo->Font()->SetSize(14);  // a larger font, larger items, and the choice stays
    EXPECT_GT(combo->ItemHeight(), 16);
    EXPECT_EQ(combo->FontName(), L"Tahoma");
}

TEST_F(VxFontComboBoxTest, RecentlyUsedBlockGrowsShrinksAndStaysEmptyWithoutRoom) {
    combo->SetSorted(true);
    combo->SetOptions(FontOption(vx::foMRU));
    EXPECT_FALSE(combo->Sorted());
    combo->SetSorted(true);
    EXPECT_FALSE(combo->Sorted());
    // MaxMRUCount 0: the block stays empty (the form is not even active).
    ChooseWithEnter(L"Tahoma");
    EXPECT_EQ(combo->MRUCount(), 0);
    const int total = combo->Items()->Count();
    combo->SetMaxMRUCount(5);
    std::vector<std::wstring> chosen;
    for (int i = 0; i < 5; ++i) {
        const std::wstring name = combo->Items()->Strings(total - 1 - i + combo->MRUCount());
        chosen.push_back(name);
        ChooseWithEnter(name);
        EXPECT_EQ(combo->ItemIndex(), 0);
        EXPECT_EQ(combo->FontName(), name);
    }
    EXPECT_EQ(combo->MRUCount(), 5);
    EXPECT_EQ(combo->Items()->Count(), total + 5);
    EXPECT_EQ(combo->Items()->Strings(0), chosen[4]);  // newest on top
    // Choosing one already in the block keeps the block and the choice.
    ChooseWithEnter(chosen[2]);
    EXPECT_EQ(combo->MRUCount(), 5);
    EXPECT_EQ(combo->FontName(), chosen[2]);
    UpdateWindow(combo->Handle());
    // Lowered to 2: the three newest go.
    combo->SetMaxMRUCount(2);
    EXPECT_EQ(combo->MRUCount(), 2);
    EXPECT_EQ(combo->Items()->Strings(0), chosen[1]);
    EXPECT_EQ(combo->Items()->Strings(1), chosen[0]);
    // Full: the chosen face takes the top entry.
    ChooseWithEnter(L"Tahoma");
    EXPECT_EQ(combo->Items()->Strings(0), L"Tahoma");
    EXPECT_EQ(combo->MRUCount(), 2);
    // A refill keeps the block on top.
    combo->SetDevice(fw::fdBoth);
    EXPECT_EQ(combo->Items()->Strings(0), L"Tahoma");
    // Off: the block goes.
    combo->SetOptions(0);
    EXPECT_EQ(combo->MRUCount(), 0);
    EXPECT_NE(combo->Items()->Strings(0), L"Tahoma");
}

TEST_F(VxFontComboBoxTest, EachFilterLeavesOutExactlyTheFacesItNames) {
    const std::vector<fw::TFontFace> faces = fw::ScreenFontFaces();
    ASSERT_FALSE(faces.empty());
    // The faces an option keeps: the first entry of each face that passes, in order.
    auto expected = [&](auto passes) {
        std::vector<std::wstring> names;
        std::set<std::wstring> seen;
        for (const fw::TFontFace& f : faces)
            if (passes(f) && seen.insert(fw::AnsiUpperCase(f.Name)).second) names.push_back(f.Name);
        return names;
    };
    struct Case {
        vx::TVxFontComboOption option;
        bool (*passes)(const fw::TFontFace&);
    };
    const Case cases[] = {
        {vx::foAnsiOnly, [](const fw::TFontFace& f) { return f.CharSet == ANSI_CHARSET; }},
        {vx::foTrueTypeOnly, [](const fw::TFontFace& f) { return (f.FontType & TRUETYPE_FONTTYPE) != 0; }},
        {vx::foFixedPitchOnly, [](const fw::TFontFace& f) { return (f.PitchAndFamily & FIXED_PITCH) != 0; }},
        {vx::foNoOEMFonts, [](const fw::TFontFace& f) { return f.CharSet != OEM_CHARSET; }},
        {vx::foOEMFontsOnly, [](const fw::TFontFace& f) { return f.CharSet == OEM_CHARSET; }},
        {vx::foScalableOnly, [](const fw::TFontFace& f) { return (f.FontType & RASTER_FONTTYPE) == 0; }},
    };
    for (const Case& c : cases) {
        combo->SetOptions(FontOption(c.option));
        const std::vector<std::wstring> want = expected(c.passes);
        EXPECT_EQ(Listed(), want) << int(c.option);
        // Every option leaves something out here, or keeps something: never all or nothing by mistake.
        EXPECT_TRUE(!want.empty() || c.option == vx::foOEMFontsOnly) << int(c.option);
    }
    combo->SetOptions(FontOption(vx::foNoOEMFonts) | FontOption(vx::foOEMFontsOnly));
    EXPECT_TRUE(Listed().empty());

    // The prefix has no OEM face: made-up faces show each rule on every kind.
    const fw::TFontFace ansi{L"A", TRUETYPE_FONTTYPE, ANSI_CHARSET, VARIABLE_PITCH};
    const fw::TFontFace oem{L"O", RASTER_FONTTYPE, OEM_CHARSET, FIXED_PITCH};
    const fw::TFontFace symbol{L"S", DEVICE_FONTTYPE, SYMBOL_CHARSET, FIXED_PITCH};
    const struct {
        vx::TVxFontComboOption option;
        bool ansi, oem, symbol;
    } rules[] = {
        {vx::foAnsiOnly, true, false, false},      {vx::foTrueTypeOnly, true, false, false},
        {vx::foFixedPitchOnly, false, true, true}, {vx::foNoOEMFonts, true, false, true},
        {vx::foOEMFontsOnly, false, true, false},  {vx::foScalableOnly, true, false, true},
    };
    for (const auto& r : rules) {
        combo->SetOptions(FontOption(r.option));
        EXPECT_EQ(combo->PassesFilter(ansi), r.ansi) << int(r.option);
        EXPECT_EQ(combo->PassesFilter(oem), r.oem) << int(r.option);
        EXPECT_EQ(combo->PassesFilter(symbol), r.symbol) << int(r.option);
    }
    combo->SetOptions(0);
    EXPECT_TRUE(combo->PassesFilter(ansi) && combo->PassesFilter(oem) && combo->PassesFilter(symbol));
}

TEST_F(VxFontComboBoxTest, PreviewDropsWysiWygAndTheDropDownWidthOutlivesANewWindow) {
    combo->SetOptions(FontOption(vx::foPreviewFont) | FontOption(vx::foWysiWyg));
    EXPECT_EQ(combo->Options(), FontOption(vx::foPreviewFont));
    combo->SetDroppedDownWidth(117);
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 117);
    combo->Font()->SetSize(14);  // a new item height makes a new window
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 117);
    EXPECT_EQ(combo->DroppedDownWidth(), 117);
}

TEST_F(VxFontComboBoxTest, SettingsStreamOnlyWhenTheyDifferAndComeBackWithTheFace) {
    const auto written = [](vx::TVxFontComboBox* c) {
        fw::TMemoryStream stream;
        fw::TWriter writer(&stream);
        writer.WriteProperties(c);
        writer.WriteListEnd();
        return std::string(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    };
    const auto has = [](const std::string& bytes, const std::wstring& name) {
        return bytes.find(std::string(reinterpret_cast<const char*>(name.c_str()), name.size() * 2)) !=
               std::string::npos;
    };
    std::string bytes = written(combo);
    for (const wchar_t* name : {L"SampleText", L"Options", L"Device", L"UseImages", L"MaxMRUCount", L"HiliteColor"})
        EXPECT_FALSE(has(bytes, name)) << name;
    combo->SetSampleText(L"Sample");
    combo->SetOptions(FontOption(vx::foDisableVerify) | FontOption(vx::foWysiWyg));
    combo->SetUseImages(false);
    combo->SetMaxMRUCount(3);
    combo->SetHiliteColor(fw::clRed);
    combo->SetDroppedDownWidth(117);
    combo->SetFontName(L"Tahoma");
    bytes = written(combo);
    EXPECT_TRUE(has(bytes, L"SampleText"));

    auto* copy = new vx::TVxFontComboBox(form);
    copy->SetBounds(10, 40, 117, 21);  // the system keeps a list at least as wide as its box
    copy->SetParent(form);
    copy->SetFontName(combo->Items()->Strings(0));
    copy->BeginLoading();
    fw::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), bytes.size());
    stream.SetPosition(0);
    fw::TReader reader(&stream);
    reader.ReadProperties(copy);
    copy->EndLoading();
    EXPECT_EQ(copy->SampleText(), L"Sample");
    EXPECT_EQ(copy->Options(), combo->Options());
    EXPECT_FALSE(copy->UseImages());
    EXPECT_EQ(copy->MaxMRUCount(), 3);
    EXPECT_EQ(copy->HiliteColor(), fw::clRed);
    EXPECT_EQ(copy->DroppedDownWidth(), 117);
    EXPECT_EQ(copy->FontName(), L"Tahoma");
}

TEST_F(VxFontComboBoxTest, AClickAfterAReleaseAndACloseUpBringAFaceIntoTheBlock) {
    combo->SetOptions(FontOption(vx::foMRU));
    combo->SetMaxMRUCount(5);
    const HWND wnd = combo->Handle();
    int changes = 0;
    combo->OnChange = [&](fw::TObject*) { ++changes; };
    // A click on a closed list, after the button went up over the control.
    const std::wstring clicked = combo->Items()->Strings(4);
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(wnd, CB_SETCURSEL, 4, 0);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), CBN_SELCHANGE), LPARAM(wnd));
    EXPECT_EQ(combo->MRUCount(), 1);
    EXPECT_EQ(combo->Items()->Strings(0), clicked);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_GE(changes, 1);
    // The list closing up on a face.
    combo->SetDroppedDown(true);
    const std::wstring picked = combo->Items()->Strings(7);
    SendMessageW(wnd, CB_SETCURSEL, 7, 0);
    combo->SetDroppedDown(false);
    EXPECT_EQ(combo->MRUCount(), 2);
    EXPECT_EQ(combo->Items()->Strings(0), picked);
    EXPECT_EQ(combo->FontName(), picked);
    EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(VxFontComboBoxTest, TheFaceJustBelowTheRecentBlockJoinsIt) {
    combo->SetOptions(FontOption(vx::foMRU));
    combo->SetMaxMRUCount(5);
    ChooseWithEnter(combo->Items()->Strings(3));
    ChooseWithEnter(combo->Items()->Strings(5));
    ASSERT_EQ(combo->MRUCount(), 2);
    const std::wstring next = combo->Items()->Strings(2);  // the first face after the block
    ChooseWithEnter(next);
    EXPECT_EQ(combo->MRUCount(), 3);
    EXPECT_EQ(combo->Items()->Strings(0), next);
    EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(VxFontComboBoxTest, ItemsDrawTheirGlyphNameAndHighlight) {
    combo->SetHiliteColor(fw::clRed);
    const int index = combo->Items()->IndexOf(L"Tahoma");
    ASSERT_GE(index, 0);
    fw::TBitmap target(200, 20);
    target.Canvas()->Brush()->SetColor(fw::clBlue);
    target.Canvas()->FillRect(RECT{0, 0, 200, 20});
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_COMBOBOX;
    item.itemID = UINT(index);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = ODS_SELECTED;
    item.hwndItem = combo->Handle();
    item.hDC = target.Canvas()->Handle();
    item.rcItem = RECT{0, 0, 200, 20};
    EXPECT_EQ(combo->Perform(fw::CN_DRAWITEM, 0, &item), 1);
    fw::TCanvas* canvas = target.Canvas();
    // The glyph at left + 2, its fuchsia left out; the name on the highlight.
    fw::TBitmap* glyph = combo->TrueTypeGlyph();
    const int top = (1 + 20 - glyph->Height()) / 2;
    int glyphPixels = 0;
    for (int y = 0; y < glyph->Height(); ++y)
        for (int x = 0; x < glyph->Width(); ++x) {
            const fw::TColor g = glyph->Canvas()->Pixels(x, y);
            const fw::TColor t = canvas->Pixels(2 + x, top + y);
            if (g == fw::clFuchsia) {
                EXPECT_NE(t, fw::clFuchsia);
            } else {
                EXPECT_EQ(t, g);
                ++glyphPixels;
            }
        }
    EXPECT_GT(glyphPixels, 10);
    EXPECT_EQ(canvas->Pixels(2 + glyph->Width() + 7, 2), fw::clRed);                 // behind the name
    EXPECT_EQ(canvas->Pixels(199, 10), fw::TColor(fw::ColorToRGB(combo->Color())));  // the rest in the control's colour
}

// Points the default printer at a printer that does not exist, for one test.
class NoPrinter {
public:
    NoPrinter() {
        RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
        DWORD size = sizeof(saved_);
        had_ = RegQueryValueExW(key_, L"Device", nullptr, nullptr, reinterpret_cast<BYTE*>(saved_), &size) ==
               ERROR_SUCCESS;
        const wchar_t bogus[] = L"No Such Printer,winspool,FILE:";
        RegSetValueExW(key_, L"Device", 0, REG_SZ, reinterpret_cast<const BYTE*>(bogus), sizeof(bogus));
    }
    ~NoPrinter() {
        if (had_)
            RegSetValueExW(key_, L"Device", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_),
                           DWORD((wcslen(saved_) + 1) * sizeof(wchar_t)));
        RegCloseKey(key_);
    }

private:
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
    HKEY key_ = nullptr;
    wchar_t saved_[512]{};
    bool had_ = false;
};

TEST_F(VxFontComboBoxTest, WithoutAPrinterThePrinterPartIsEmptyAndNothingRaises) {
    const int screen = combo->Items()->Count();
    {
        NoPrinter none;
        if (fw::DefaultPrinterName() != L"No Such Printer") GTEST_SKIP() << "default printer not redirected";
        EXPECT_TRUE(fw::PrinterFontFaces().empty());
        combo->SetDevice(fw::fdPrinter);
        EXPECT_EQ(combo->Items()->Count(), 0);
        combo->SetDevice(fw::fdBoth);
        EXPECT_EQ(combo->Items()->Count(), screen);
        auto* fresh = new vx::TVxFontComboBox(form);
        fresh->SetDevice(fw::fdBoth);
        fresh->SetParent(form);
        EXPECT_EQ(fresh->Items()->Count(), screen);
    }
    EXPECT_FALSE(fw::PrinterFontFaces().empty());
}

}  // namespace
