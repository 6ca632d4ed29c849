// Defaults and copying of the option classes; the component's settings.
#include <gtest/gtest.h>

#include <memory>

#include "export/ExportOptions.h"
#include "export/ExportProgress.h"
#include "export/ExportSelect.h"
#include "export/ResourceTexts.h"
#include "export/StringGridExport.h"
#include "framework/Exception.h"
#include "tests/export/ExportTestSource.h"

TEST(ExportOptions, CustomHTMLColorsShowTheStandardTemplate) {
    auto exporter = std::make_unique<TTestExport>();
    TztHTMLColors* custom = exporter->HTML()->CustomColors();
    EXPECT_EQ(custom->DefaultFontFace(), L"Arial,Helvetica");
    EXPECT_EQ(custom->TableFontFace(), L"Arial,Helvetica");
    for (int kind = 0; kind < 10; ++kind) {
        exporter->HTML()->SetTemplate(ctStandard);
        const std::wstring standard = exporter->GetHTMLColor(kind);
        exporter->HTML()->SetTemplate(ctCustom);
        EXPECT_EQ(exporter->GetHTMLColor(kind), standard) << "kind " << kind;
    }
}

TEST(ExportOptions, CustomColoursAreWrittenRedFirst) {
    auto exporter = std::make_unique<TTestExport>();
    exporter->HTML()->SetTemplate(ctCustom);
    exporter->HTML()->CustomColors()->SetHeaderBackground(fw::clRed);
    EXPECT_EQ(exporter->GetHTMLColor(5), L"#FF0000");
    exporter->HTML()->CustomColors()->SetHeaderBackground(3368601);  // $00336699
    EXPECT_EQ(exporter->GetHTMLColor(5), L"#996633");
    exporter->HTML()->SetTemplate(ctOlive);
    EXPECT_EQ(exporter->GetHTMLColor(5), L"#CFC890");
    EXPECT_EQ(exporter->GetHTMLColor(3), L"#5F605F");
}

TEST(ExportOptions, AssigningRTFSettingsCopiesThem) {
    auto exporter = std::make_unique<TTestExport>();
    TztRTFColors other;
    other.SetHeaderBackground(fw::clGreen);
    other.TableFont()->SetName(L"Courier New");
    exporter->DOC_RTF()->SetCustomSettings(&other);
    EXPECT_EQ(exporter->DOC_RTF()->CustomSettings()->HeaderBackground(), fw::clGreen);
    EXPECT_EQ(exporter->DOC_RTF()->CustomSettings()->TableFont()->Name(), L"Courier New");
    other.SetHeaderBackground(fw::clBlue);
    EXPECT_EQ(exporter->DOC_RTF()->CustomSettings()->HeaderBackground(), fw::clGreen);
    EXPECT_NE(exporter->DOC_RTF()->CustomSettings(), &other);
    EXPECT_TRUE(exporter->DOC_RTF()->CustomSettings()->HeaderFont()->Style() & fw::fsBold);
}

TEST(ExportOptions, ExcelOptionsCopyEveryField) {
    TztExcelOptions a, b;
    a.SetFooter(L"page");
    a.SetColumnWidth(7);
    a.SetProtected(true);
    a.SetOptions({reCellsAsText});
    a.HeaderFont()->SetName(L"Arial");
    b.Assign(&a);
    EXPECT_EQ(b.Footer(), L"page");
    EXPECT_EQ(b.ColumnWidth(), 7);
    EXPECT_TRUE(b.Protected());
    EXPECT_EQ(b.Options(), TztExportExcelOptionSet{reCellsAsText});
    EXPECT_EQ(b.HeaderFont()->Name(), L"Arial");
    TztRTFColors wrong;
    EXPECT_THROW(b.Assign(&wrong), fw::Exception);
}

TEST(ExportOptions, DefaultsOfTheComponent) {
    auto exporter = std::make_unique<TTestExport>();
    TztStringGridExport plain(nullptr);  // as constructed, progress included
    EXPECT_EQ(plain.Options().Bits(), 1261u);
    EXPECT_EQ(exporter->ExportType(), xtExcel);
    EXPECT_EQ(exporter->ExportTypes(), AllExportTypes);
    EXPECT_EQ(exporter->ExportStyle(), xsView);
    EXPECT_EQ(exporter->Version(), L"2.38");
    EXPECT_EQ(exporter->TruncateSymbol(), L"...");
    EXPECT_EQ(exporter->RowNumberFormat(), L"%d");
    EXPECT_EQ(exporter->Messages()->Caption(), L"Export");
    EXPECT_EQ(exporter->Messages()->CopiedToClipboard(), L"Data was copied to clipboard!");
    EXPECT_EQ(exporter->Messages()->CreatedText(), L"Created:");
    EXPECT_EQ(exporter->Messages()->Text(), L"Processing...");
    EXPECT_EQ(exporter->Messages()->DocumentFilter()->Comma(), L"CSV (Comma delimited)");
    EXPECT_EQ(exporter->EXCEL()->Footer(), L"&P");
    EXPECT_EQ(exporter->DOC_RTF()->CellWidth(), 1400);
    EXPECT_EQ(exporter->HTML()->Extension(), exHTML);
    EXPECT_FALSE(exporter->TempDirStored());
    EXPECT_EQ(exporter->TempDir().back(), L'\\');
    EXPECT_EQ(ztResourceText(SztNullText), L"** NULL **");
    EXPECT_EQ(ztResourceText(SztTempPrefix), L"Tbr");
}

TEST(ExportSettings, TheChosenTypeIsAlwaysAMember) {
    auto exporter = std::make_unique<TTestExport>();
    exporter->SetExportTypes({xtHTML, xtTXT});
    EXPECT_EQ(exporter->ExportTypes(), (TztExportTypeSet{xtHTML, xtTXT, xtExcel}));
    exporter->SetExportType(xtDIF);
    EXPECT_TRUE(exporter->ExportTypes().Contains(xtDIF));
    exporter->SetExportTypes({xtCSV});
    EXPECT_EQ(exporter->ExportTypes(), (TztExportTypeSet{xtCSV, xtDIF}));
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

TEST(ExportSettings, TempDirComparesWithoutTrailingBackslashOrCase) {
    auto exporter = std::make_unique<TTestExport>();
    const std::wstring original = exporter->TempDir();
    std::wstring other = original.substr(0, original.size() - 1);
    for (wchar_t& c : other) c = wchar_t(towupper(c));
    exporter->SetTempDir(other);
    EXPECT_EQ(exporter->TempDir(), original) << "the same folder is not stored again";
    exporter->SetTempDir(L"C:\\");
    EXPECT_EQ(exporter->TempDir(), L"C:\\");
    EXPECT_TRUE(exporter->TempDirStored());
    exporter->SetTempDir(L"c:");
    EXPECT_EQ(exporter->TempDir(), L"c:");
}

TEST(ExportWindows, FormatIconsAndLazyWindows) {
    auto exporter = std::make_unique<TTestExport>();
    // Nothing is made until asked for.
    EXPECT_EQ(exporter->ProgressForm()->Handle(), nullptr);
    // The painter draws the current format's image.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 40);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 40, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    exporter->SetExportType(xtCSV);
    ASSERT_TRUE(exporter->SelectionForm()->OnPaintIcon);
    exporter->SelectionForm()->OnPaintIcon(dc);
    EXPECT_NE(GetPixel(dc, 15, 5), RGB(0, 0, 0)) << "an image was drawn";
    EXPECT_EQ(GetPixel(dc, 35, 35), RGB(0, 0, 0)) << "31 x 31 at 0, 0";
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}
