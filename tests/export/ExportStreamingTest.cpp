// The export component's settings written with the owning form and read back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "export/StringGridExport.h"
#include "framework/Filer.h"
#include "framework/Grids.h"
#include "tests/common/HandWrittenForm.h"

namespace {

using namespace zt;

struct TForm {
    std::unique_ptr<fw::TComponent> root = std::make_unique<fw::TComponent>(nullptr);
    fw::TStringGrid* grid;
    TztStringGridExport* exporter;
    TForm() {
        root->SetName(L"Form1");
        grid = new fw::TStringGrid(root.get());
        grid->SetName(L"MyGrid");
        exporter = new TztStringGridExport(root.get());
        exporter->SetName(L"SGEXport");
    }
    std::string Save() {
        fw::TMemoryStream stream;
        fw::TWriter writer(&stream);
        writer.WriteRootComponent(root.get());
        return std::string(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    }
    void Load(const std::string& bytes) {
        fw::TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
        stream.SetPosition(0);
        fw::TReader reader(&stream);
        reader.ReadRootComponent(root.get());
    }
};

// Every setting away from its default.
void ChangeEverything(TztStringGridExport* x, fw::TStringGrid* grid) {
    x->SetStringGrid(grid);
    x->Captions()->Add(L"Name");
    x->Captions()->Add(L"Gr\u00f6\u00dfe");
    x->ColumnWidths()->Add(L"12");
    x->SetExportType(xtTXT);
    x->SetExportTypes({xtHTML, xtTXT, xtCSV, xtTAB, xtClipboard});
    x->SetFileName(L"Tabulor");
    x->SetExportStyle(xsFile);
    x->SetTempDir(L"D:\\scratch\\");
    x->SetOptions({xoRowNumbers, xoTruncate});
    x->SetTruncateSymbol(L"~");
    x->SetRowNumberFormat(L"#%d:");
    x->SetDateFormat(L"d/MM/yyyy");
    x->SetTimeFormat(L"h:mm AMPM");
    x->SetDateTimeFormat(L"h:mm AMPM d/MM/yyyy");
    TztHTMLOptions* html = x->HTML();
    html->SetOptions({hoAutoLink});
    html->SetExtension(exHTM);
    html->SetTemplate(ctCustom);
    html->SetTitle(L"Listing");
    html->CustomColors()->SetHeaderBackground(0x123456);
    html->CustomColors()->SetTableFontFace(L"Verdana");
    TztRTFOptions* rtf = x->DOC_RTF();
    rtf->SetTemplate(rtGray);
    rtf->SetCellWidth(999);
    rtf->SetOptions({});
    rtf->SetLeftMargin(7);
    rtf->CustomSettings()->SetTableOddBackground(0x00FF00);
    rtf->CustomSettings()->HeaderFont()->SetName(L"Courier New");
    TztExcelOptions* excel = x->EXCEL();
    excel->TableFont()->SetHeight(-20);
    excel->TableFont()->SetStyle(fw::fsItalic);
    excel->SetExcelVersion(xls21);
    excel->SetHeader(L"&A");
    excel->SetFooter(L"");
    excel->SetTopMargin(1.25);
    excel->SetColumnWidth(33);
    excel->SetOptions({reCellsAsText});
    excel->SetProtected(true);
    x->Messages()->SetCaption(L"Saving");
    x->Messages()->SetWidth(410);
    x->Messages()->DocumentFilter()->SetSYLK(L"Symbolic links");
    // The rest, each a value of its own: a setting read into another's field shows.
    int n = 0;
    auto text = [&n] { return L"text " + std::to_wstring(++n); };
    TztHTMLColors* colors = html->CustomColors();
    for (auto set : {&TztHTMLColors::SetBackground, &TztHTMLColors::SetDefaultLink, &TztHTMLColors::SetVisitedLink,
                     &TztHTMLColors::SetActiveLink, &TztHTMLColors::SetDefaultText, &TztHTMLColors::SetTableFontColor,
                     &TztHTMLColors::SetTableBackground, &TztHTMLColors::SetTableOddBackground,
                     &TztHTMLColors::SetHeadersFontColor})
        (colors->*set)(++n);
    colors->SetDefaultFontFace(text());
    TztRTFColors* rtfColors = rtf->CustomSettings();
    rtfColors->SetTableBackground(++n);
    rtfColors->SetHeaderBackground(++n);
    for (fw::TFont* font :
         {rtfColors->DefaultFont(), rtfColors->TableFont(), excel->DefaultFont(), excel->HeaderFont()})
        font->SetName(text());
    for (auto set : {&TztRTFOptions::SetTopMargin, &TztRTFOptions::SetBottomMargin, &TztRTFOptions::SetRightMargin})
        (rtf->*set)(++n);
    for (auto set :
         {&TztExcelOptions::SetBottomMargin, &TztExcelOptions::SetLeftMargin, &TztExcelOptions::SetRightMargin})
        (excel->*set)(++n + 0.5);
    TztMessagesOptions* m = x->Messages();
    for (auto set :
         {&TztMessagesOptions::SetCopiedToClipboard, &TztMessagesOptions::SetCreatedText, &TztMessagesOptions::SetText,
          &TztMessagesOptions::SetTrueText, &TztMessagesOptions::SetFalseText, &TztMessagesOptions::SetExportCaption,
          &TztMessagesOptions::SetCancelCaption, &TztMessagesOptions::SetSaveTitle,
          &TztMessagesOptions::SetSelectFormat, &TztMessagesOptions::SetExportToFile, &TztMessagesOptions::SetViewOnly})
        (m->*set)(text());
    m->SetHeight(++n);
    TztDocumentFilter* filter = m->DocumentFilter();
    for (auto set : {&TztDocumentFilter::SetHTML, &TztDocumentFilter::SetExcel, &TztDocumentFilter::SetWord,
                     &TztDocumentFilter::SetText, &TztDocumentFilter::SetComma, &TztDocumentFilter::SetTab,
                     &TztDocumentFilter::SetRTF, &TztDocumentFilter::SetDIF})
        (filter->*set)(text());
}

TEST(ExportStreaming, RoundTripWithTheFormKeepsEverySetting) {
    TForm form;
    const std::string defaults = form.Save();
    ChangeEverything(form.exporter, form.grid);
    const std::string written = form.Save();
    ASSERT_NE(written, defaults);

    TForm copy;
    copy.Load(written);
    TztStringGridExport* x = copy.exporter;
    EXPECT_EQ(x->StringGrid(), copy.grid);
    // The set keeps exactly what was written (the type is read first).
    EXPECT_TRUE(x->ExportTypes() == TztExportTypeSet({xtHTML, xtTXT, xtCSV, xtTAB, xtClipboard}));
    EXPECT_EQ(x->EXCEL()->TopMargin(), 1.25);
    EXPECT_EQ(x->DOC_RTF()->CustomSettings()->HeaderFont()->Name(), L"Courier New");
    // Everything else came back too: the copy writes the same stream.
    EXPECT_EQ(copy.Save(), written);
}

TEST(ExportStreaming, DefaultTempDirAndVersionAreNotWrittenAndAStreamedVersionIsIgnored) {
    TForm form;
    const std::string bytes = form.Save();
    auto holds = [&](const std::wstring& name) {  // a whole name, led by its length
        const uint32_t length = uint32_t(name.size());
        const std::string raw = std::string(reinterpret_cast<const char*>(&length), sizeof(length)) +
                                std::string(reinterpret_cast<const char*>(name.data()), name.size() * sizeof(wchar_t));
        return bytes.find(raw) != std::string::npos;
    };
    EXPECT_TRUE(holds(L"DateTimeFormat"));
    EXPECT_FALSE(holds(L"TempDir"));
    EXPECT_FALSE(holds(L"Version"));
    EXPECT_FALSE(holds(L"StringGrid"));  // no grid, no reference

    // A form written elsewhere with the version in it reads without complaint.
    fw::TMemoryStream stream;
    testenv::WriteOneComponentForm(stream, L"TForm1", L"Form1", L"TztStringGridExport", L"SGEXport",
                                   [](fw::TWriter& w) {
                                       w.WritePropName(L"Version");
                                       w.WriteString(L"9.99");
                                   });
    TForm copy;
    copy.Load(std::string(static_cast<const char*>(stream.Memory()), size_t(stream.Size())));
    EXPECT_EQ(copy.exporter->Version(), L"2.38");
}

}  // namespace
