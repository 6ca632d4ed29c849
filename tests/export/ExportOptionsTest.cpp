// Defaults and copying of the option classes; the component's settings.
#include <gtest/gtest.h>

#include <array>

#include "export/ExportProgress.h"
#include "export/ExportSelect.h"
#include "export/StringGridExport.h"
#include "framework/Bitmap.h"
#include "framework/Buttons.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/GroupBox.h"
#include "framework/PaintBox.h"
#include "framework/StdCtrls.h"
#include "tests/export/ExportTestSource.h"

TEST(ExportOptions, EveryTemplateWritesTheColoursOfItsTable) {
    // Kinds: ActiveLink, Background, DefaultLink, DefaultText, VisitedLink,
    // HeaderBackground, HeadersFontColor, TableBackground, TableOddBackground, TableFontColor.
    const std::vector<std::vector<std::wstring>> html = {
        {L"FF0000", L"FFFFFF", L"0000FF", L"000000", L"FFFF00", L"336699", L"FFFFFF", L"FFFFCF", L"FFFFFF", L"000000"},
        {L"BBBBBB", L"FFFFFF", L"AAAAAA", L"000000", L"DDDDDD", L"000000", L"FFFFFF", L"FFFFFF", L"F3F3F3", L"000000"},
        {L"FF0000", L"339966", L"0066CC", L"000000", L"923FC1", L"000000", L"FF0000", L"006BCE", L"007AEC", L"FFFFFF"},
        {L"FF0000", L"339966", L"0066CC", L"000000", L"923FC1", L"CC0033", L"FFFFFF", L"FFFFFF", L"FAF100", L"FFFFFF"},
        {L"FFFF00", L"317676", L"DDE760", L"FFE760", L"CCCC39", L"3A9393", L"FFFFFF", L"004040", L"000000", L"FFFFFF"},
        {L"FF0000", L"FFFFFF", L"0000FF", L"000000", L"FFFF00", L"808080", L"FFFFFF", L"FFFFFF", L"EEEEEE", L"000000"},
        {L"FF0000", L"FFFFFF", L"0000FF", L"000000", L"AABBAA", L"CEC6B5", L"000000", L"DEE7DE", L"FFFBF0", L"000080"},
        {L"FF0000", L"FFFFFF", L"0000FF", L"5F605F", L"FFFF00", L"CFC890", L"000000", L"FFFFFF", L"FFFFCF", L"000000"},
    };
    // Kinds 0 to 5: default, header and table font, table, header and odd-row background.
    const std::vector<std::vector<std::array<int, 3>>> rtf = {
        {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {0, 0, 128}, {128, 255, 0}},
        {{0, 0, 0}, {255, 0, 0}, {0, 0, 0}, {0, 0, 255}, {0, 0, 0}, {128, 128, 255}},
        {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {128, 255, 0}},
        {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {128, 128, 128}, {128, 255, 128}},
    };
    auto exporter = std::make_unique<TTestExport>();
    // A new custom set shows the standard template.
    exporter->HTML()->SetTemplate(ctCustom);
    for (int kind = 0; kind < 10; ++kind) EXPECT_EQ(exporter->GetHTMLColor(kind), L"#" + html[0][size_t(kind)]);
    EXPECT_EQ(exporter->HTML()->CustomColors()->TableFontFace(), L"Arial,Helvetica");
    // A colour value keeps red in its low byte: it is written red first.
    exporter->HTML()->CustomColors()->SetHeaderBackground(3368601);  // $00336699
    EXPECT_EQ(exporter->GetHTMLColor(5), L"#996633");
    for (size_t t = 0; t < html.size(); ++t) {
        exporter->HTML()->SetTemplate(TztHTMLColorTemplate(t));
        for (int kind = 0; kind < 10; ++kind)
            EXPECT_EQ(exporter->GetHTMLColor(kind), L"#" + html[t][size_t(kind)])
                << "template " << t << ", kind " << kind;
    }
    for (size_t t = 0; t < rtf.size(); ++t) {
        exporter->DOC_RTF()->SetTemplate(TztRTFColorTemplate(t));
        for (int kind = 0; kind < 6; ++kind) {
            const auto& [r, g, b] = rtf[t][size_t(kind)];
            EXPECT_EQ(exporter->WriteRTFColor(kind), L"\\red" + std::to_wstring(r) + L"\\green" + std::to_wstring(g) +
                                                         L"\\blue" + std::to_wstring(b) + L";")
                << "template " << t << ", kind " << kind;
        }
    }
    // The custom template: the three fonts' colours, then the table, header and odd-row backgrounds.
    TztRTFColors* custom = exporter->DOC_RTF()->CustomSettings();
    custom->DefaultFont()->SetColor(1);
    custom->HeaderFont()->SetColor(2);
    custom->TableFont()->SetColor(3);
    custom->SetTableBackground(4);
    custom->SetHeaderBackground(5);
    custom->SetTableOddBackground(6);
    exporter->DOC_RTF()->SetTemplate(rtCustom);
    for (int kind = 0; kind < 6; ++kind)
        EXPECT_EQ(exporter->WriteRTFColor(kind), L"\\red" + std::to_wstring(kind + 1) + L"\\green0\\blue0;") << kind;
}

TEST(ExportOptions, AssigningCopiesTheSettings) {
    auto exporter = std::make_unique<TTestExport>();
    TztRTFColors other;
    other.SetHeaderBackground(fw::clGreen);
    other.TableFont()->SetName(L"Courier New");
    exporter->DOC_RTF()->SetCustomSettings(&other);
    other.SetHeaderBackground(fw::clBlue);
    EXPECT_EQ(exporter->DOC_RTF()->CustomSettings()->HeaderBackground(), fw::clGreen);
    EXPECT_EQ(exporter->DOC_RTF()->CustomSettings()->TableFont()->Name(), L"Courier New");
    EXPECT_TRUE(exporter->DOC_RTF()->CustomSettings()->HeaderFont()->Style() & fw::fsBold);
    TztExcelOptions a, b;
    a.SetFooter(L"page");
    a.SetOptions({reCellsAsText});
    a.HeaderFont()->SetName(L"Arial");
    b.Assign(&a);
    EXPECT_EQ(b.Footer(), L"page");
    EXPECT_EQ(b.Options(), TztExportExcelOptionSet{reCellsAsText});
    EXPECT_EQ(b.HeaderFont()->Name(), L"Arial");
    EXPECT_THROW(b.Assign(&other), fw::Exception);
}

TEST(ExportSettings, DefaultsAndTheChosenTypeIsAlwaysAMember) {
    EXPECT_EQ(TztStringGridExport(nullptr).Options().Bits(), 1261u);  // as constructed, progress included
    auto exporter = std::make_unique<TTestExport>();
    EXPECT_EQ(exporter->ExportStyle(), xsView);
    exporter->SetExportTypes({xtHTML, xtTXT});
    EXPECT_EQ(exporter->ExportTypes(), (TztExportTypeSet{xtHTML, xtTXT, xtExcel})) << "the default type";
    exporter->SetExportType(xtDIF);
    EXPECT_TRUE(exporter->ExportTypes().Contains(xtDIF));
    exporter->SetExportTypes({xtCSV});
    EXPECT_EQ(exporter->ExportTypes(), (TztExportTypeSet{xtCSV, xtDIF}));
}

TEST(ExportSettings, TempDirKeepsTheFormItWasGivenUntilTheFolderChanges) {
    auto exporter = std::make_unique<TTestExport>();
    EXPECT_FALSE(exporter->TempDirStored());
    exporter->SetTempDir(L"C:\\Work\\Temp\\");
    exporter->SetTempDir(L"c:\\WORK\\temp");  // the same folder
    EXPECT_EQ(exporter->TempDir(), L"C:\\Work\\Temp\\");
    EXPECT_TRUE(exporter->TempDirStored());
    exporter->SetTempDir(L"C:\\");
    exporter->SetTempDir(L"C:");  // a drive root keeps its backslash: another folder
    EXPECT_EQ(exporter->TempDir(), L"C:");
    // The system's folder written without its backslash is still the default.
    wchar_t temp[MAX_PATH + 1];
    std::wstring system(temp, GetTempPathW(MAX_PATH + 1, temp));
    exporter->SetTempDir(system.substr(0, system.size() - 1));
    EXPECT_FALSE(exporter->TempDirStored());
}

TEST(ExportSettings, RowNumberFormatNeedsItsNumber) {
    MessageBoxRecorder boxes;
    auto exporter = std::make_unique<TTestExport>();
    exporter->SetRowNumberFormat(L"No. %s");
    EXPECT_EQ(exporter->RowNumberFormat(), L"%d");
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_EQ(boxes.Texts[0], L"The format has to contain %d string.");
    exporter->SetRowNumberFormat(L"%d%%");
    EXPECT_EQ(exporter->RowNumberFormat(), L"%d%%");
    EXPECT_EQ(boxes.Texts.size(), 1u);
}

TEST(ExportWindows, LazyWindowsFormatIconAndEnter) {
    auto exporter = std::make_unique<TTestExport>();
    EXPECT_EQ(exporter->ProgressForm()->Handle(), nullptr) << "nothing is made until asked for";
    // The painter draws the current format's image.
    fw::TBitmap box(40, 40);
    box.Canvas()->Brush()->SetColor(fw::clBlack);
    box.Canvas()->FillRect(RECT{0, 0, 40, 40});
    exporter->SetExportType(xtCSV);
    Tfrm_Selection* selection = exporter->SelectionForm();
    ASSERT_TRUE(selection->OnPaintIcon);
    selection->OnPaintIcon(box.Canvas()->Handle());
    EXPECT_NE(GetPixel(box.Canvas()->Handle(), 15, 5), RGB(0, 0, 0)) << "an image was drawn";
    EXPECT_EQ(GetPixel(box.Canvas()->Handle(), 35, 35), RGB(0, 0, 0)) << "31 x 31 at 0, 0";
    // One image per format family.
    const std::map<TztExportType, int> images = {{xtCSV, 1}, {xtHTML, 2}, {xtTXT, 3},  {xtWord, 4},      {xtExcel, 5},
                                                 {xtTAB, 6}, {xtDIF, 6},  {xtSYLK, 6}, {xtClipboard, 7}, {xtRTF, 0}};
    for (const auto& [type, image] : images) EXPECT_EQ(Tfrm_Selection::ImageIndex(type), image) << type;
    const HWND window = selection->Handle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(selection->Form()->ClientWidth(), Tfrm_Selection::DesignClientWidth);
    // The designed controls, where the design puts them.
    ASSERT_TRUE(selection->btn_Selection && selection->btn_Cancel && selection->GroupBox && selection->SelectionCombo &&
                selection->rdo_View && selection->rdo_File && selection->IconImage);
    EXPECT_TRUE(selection->btn_Selection->Default());
    EXPECT_EQ(selection->btn_Selection->ModalResult(), fw::mrOk);
    EXPECT_TRUE(selection->btn_Cancel->Cancel());
    EXPECT_EQ(selection->btn_Cancel->Top(), 40);
    EXPECT_EQ(selection->GroupBox->Caption(), L"E&xport formats: ");
    EXPECT_EQ(selection->SelectionCombo->Tag(), 30);
    EXPECT_EQ(selection->rdo_View->Tag(), 10);
    EXPECT_EQ(selection->rdo_File->Top(), 80);
    EXPECT_EQ(selection->IconImage->Left(), 176);
    // Enter presses Export; the close that follows only ends a loop Enter left running.
    PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(selection->ShowModal(), IDOK);
    fw::Application()->ProcessMessages();
}
