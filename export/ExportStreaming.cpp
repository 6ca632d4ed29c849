// The published settings of the export component and its option objects, as
// the owning form writes and reads them (framework/Filer.h). Every setting is
// written, so a form read back holds exactly what was written.
#include "export/CustomExport.h"
#include "export/ExportOptions.h"
#include "export/StringGridExport.h"
#include "framework/Filer.h"

namespace zt {

namespace {

using fw::TFiler;

const wchar_t* const kExportTypes[] = {L"xtHTML", L"xtExcel", L"xtWord", L"xtTXT",  L"xtCSV",
                                       L"xtTAB",  L"xtRTF",   L"xtDIF",  L"xtSYLK", L"xtClipboard"};
const wchar_t* const kExportStyles[] = {L"xsFile", L"xsView"};
const wchar_t* const kExportOptions[] = {L"xoClipboardMessage", L"xoExportInvisibles", L"xoFooterLine",
                                         L"xoHeaderLine",       L"xoRowNumbers",       L"xoShowExportDate",
                                         L"xoShowHeader",       L"xoShowProgress",     L"xoSelectedRowsOnly",
                                         L"xoTruncate",         L"xoUseAlignments"};
const wchar_t* const kHTMLOptions[] = {L"hoShowGridLines", L"hoBoldHeaders", L"hoAutoLink", L"hoOddRowColoring",
                                       L"hoDisplayTitle"};
const wchar_t* const kHTMLExtensions[] = {L"exHTM", L"exHTML"};
const wchar_t* const kHTMLTemplates[] = {L"ctStandard", L"ctBW",      L"ctClassic", L"ctColorful", L"ctDark",
                                         L"ctGray",     L"ctMSMoney", L"ctOlive",   L"ctCustom"};
const wchar_t* const kRTFOptions[] = {L"roShowGridLines", L"roOddRowColoring"};
const wchar_t* const kRTFTemplates[] = {L"rtStandard", L"rtClassic", L"rtColorful", L"rtGray", L"rtCustom"};
const wchar_t* const kExcelVersions[] = {L"xls21", L"xls30", L"xls40", L"xls50"};
const wchar_t* const kExcelOptions[] = {L"reCellsAsText", L"reSetColumnWidths", L"reSetMargins", L"reUseBorders"};

// A number (or colour) and a text property over a getter and a setter of Object.
template <class T, class V>
void NumberProperty(TFiler& F, const wchar_t* Name, T* Object, V (T::*Get)() const, void (T::*Set)(V)) {
    fw::DefineInteger(F, Name, (Object->*Get)(), [=](int32_t Value) { (Object->*Set)(Value); });
}
template <class T>
void TextProperty(TFiler& F, const wchar_t* Name, T* Object, const std::wstring& (T::*Get)() const,
                  void (T::*Set)(const std::wstring&)) {
    fw::DefineString(F, Name, (Object->*Get)(), [=](const std::wstring& Value) { (Object->*Set)(Value); });
}

}  // namespace

void TztHTMLColors::DefineProperties(TFiler& F) {
    fw::TPersistent::DefineProperties(F);
    NumberProperty(F, L"Background", this, &TztHTMLColors::Background, &TztHTMLColors::SetBackground);
    NumberProperty(F, L"DefaultLink", this, &TztHTMLColors::DefaultLink, &TztHTMLColors::SetDefaultLink);
    TextProperty(F, L"DefaultFontFace", this, &TztHTMLColors::DefaultFontFace, &TztHTMLColors::SetDefaultFontFace);
    NumberProperty(F, L"VisitedLink", this, &TztHTMLColors::VisitedLink, &TztHTMLColors::SetVisitedLink);
    NumberProperty(F, L"ActiveLink", this, &TztHTMLColors::ActiveLink, &TztHTMLColors::SetActiveLink);
    NumberProperty(F, L"DefaultText", this, &TztHTMLColors::DefaultText, &TztHTMLColors::SetDefaultText);
    NumberProperty(F, L"TableFontColor", this, &TztHTMLColors::TableFontColor, &TztHTMLColors::SetTableFontColor);
    TextProperty(F, L"TableFontFace", this, &TztHTMLColors::TableFontFace, &TztHTMLColors::SetTableFontFace);
    NumberProperty(F, L"TableBackground", this, &TztHTMLColors::TableBackground, &TztHTMLColors::SetTableBackground);
    NumberProperty(F, L"TableOddBackground", this, &TztHTMLColors::TableOddBackground,
                   &TztHTMLColors::SetTableOddBackground);
    NumberProperty(F, L"HeaderBackground", this, &TztHTMLColors::HeaderBackground, &TztHTMLColors::SetHeaderBackground);
    NumberProperty(F, L"HeadersFontColor", this, &TztHTMLColors::HeadersFontColor, &TztHTMLColors::SetHeadersFontColor);
}

void TztRTFColors::DefineProperties(TFiler& F) {
    fw::TPersistent::DefineProperties(F);
    NumberProperty(F, L"TableBackground", this, &TztRTFColors::TableBackground, &TztRTFColors::SetTableBackground);
    NumberProperty(F, L"TableOddBackground", this, &TztRTFColors::TableOddBackground,
                   &TztRTFColors::SetTableOddBackground);
    NumberProperty(F, L"HeaderBackground", this, &TztRTFColors::HeaderBackground, &TztRTFColors::SetHeaderBackground);
    fw::DefinePersistent(F, L"DefaultFont", DefaultFont());
    fw::DefinePersistent(F, L"HeaderFont", HeaderFont());
    fw::DefinePersistent(F, L"TableFont", TableFont());
}

void TztHTMLOptions::DefineProperties(TFiler& F) {
    fw::TPersistent::DefineProperties(F);
    fw::DefineSet(F, L"Options", options_.Bits(), kHTMLOptions,
                  [this](uint32_t Bits) { options_ = TztExportHTMLOptionSet::FromBits(Bits); });
    fw::DefinePersistent(F, L"CustomColors", CustomColors());
    fw::DefineEnum(F, L"Extension", extension_, kHTMLExtensions,
                   [this](int Value) { extension_ = TztHTMLExtension(Value); });
    fw::DefineEnum(F, L"Template", template_, kHTMLTemplates,
                   [this](int Value) { template_ = TztHTMLColorTemplate(Value); });
    TextProperty(F, L"Title", this, &TztHTMLOptions::Title, &TztHTMLOptions::SetTitle);
}

void TztRTFOptions::DefineProperties(TFiler& F) {
    fw::TPersistent::DefineProperties(F);
    fw::DefineEnum(F, L"Template", template_, kRTFTemplates,
                   [this](int Value) { template_ = TztRTFColorTemplate(Value); });
    fw::DefinePersistent(F, L"CustomSettings", CustomSettings());
    NumberProperty(F, L"CellWidth", this, &TztRTFOptions::CellWidth, &TztRTFOptions::SetCellWidth);
    fw::DefineSet(F, L"Options", options_.Bits(), kRTFOptions,
                  [this](uint32_t Bits) { options_ = TztExportRTFOptionSet::FromBits(Bits); });
    NumberProperty(F, L"TopMargin", this, &TztRTFOptions::TopMargin, &TztRTFOptions::SetTopMargin);
    NumberProperty(F, L"BottomMargin", this, &TztRTFOptions::BottomMargin, &TztRTFOptions::SetBottomMargin);
    NumberProperty(F, L"LeftMargin", this, &TztRTFOptions::LeftMargin, &TztRTFOptions::SetLeftMargin);
    NumberProperty(F, L"RightMargin", this, &TztRTFOptions::RightMargin, &TztRTFOptions::SetRightMargin);
}

void TztExcelOptions::DefineProperties(TFiler& F) {
    fw::TPersistent::DefineProperties(F);
    fw::DefinePersistent(F, L"DefaultFont", DefaultFont());
    fw::DefinePersistent(F, L"HeaderFont", HeaderFont());
    fw::DefinePersistent(F, L"TableFont", TableFont());
    fw::DefineEnum(F, L"ExcelVersion", excelVersion_, kExcelVersions,
                   [this](int Value) { excelVersion_ = TztExcelVersion(Value); });
    TextProperty(F, L"Header", this, &TztExcelOptions::Header, &TztExcelOptions::SetHeader);
    TextProperty(F, L"Footer", this, &TztExcelOptions::Footer, &TztExcelOptions::SetFooter);
    fw::DefineDouble(F, L"TopMargin", topMargin_, [this](double Value) { topMargin_ = Value; });
    fw::DefineDouble(F, L"BottomMargin", bottomMargin_, [this](double Value) { bottomMargin_ = Value; });
    fw::DefineDouble(F, L"LeftMargin", leftMargin_, [this](double Value) { leftMargin_ = Value; });
    fw::DefineDouble(F, L"RightMargin", rightMargin_, [this](double Value) { rightMargin_ = Value; });
    NumberProperty(F, L"ColumnWidth", this, &TztExcelOptions::ColumnWidth, &TztExcelOptions::SetColumnWidth);
    fw::DefineSet(F, L"Options", options_.Bits(), kExcelOptions,
                  [this](uint32_t Bits) { options_ = TztExportExcelOptionSet::FromBits(Bits); });
    fw::DefineBoolean(F, L"Protected", protected_, [this](bool Value) { protected_ = Value; });
}

void TztDocumentFilter::DefineProperties(TFiler& F) {
    fw::TPersistent::DefineProperties(F);
    using D = TztDocumentFilter;
    TextProperty(F, L"HTML", this, &D::HTML, &D::SetHTML);
    TextProperty(F, L"Excel", this, &D::Excel, &D::SetExcel);
    TextProperty(F, L"Word", this, &D::Word, &D::SetWord);
    TextProperty(F, L"Text", this, &D::Text, &D::SetText);
    TextProperty(F, L"Comma", this, &D::Comma, &D::SetComma);
    TextProperty(F, L"Tab", this, &D::Tab, &D::SetTab);
    TextProperty(F, L"RTF", this, &D::RTF, &D::SetRTF);
    TextProperty(F, L"DIF", this, &D::DIF, &D::SetDIF);
    TextProperty(F, L"SYLK", this, &D::SYLK, &D::SetSYLK);
}

void TztMessagesOptions::DefineProperties(TFiler& F) {
    fw::TPersistent::DefineProperties(F);
    using M = TztMessagesOptions;
    TextProperty(F, L"Caption", this, &M::Caption, &M::SetCaption);
    TextProperty(F, L"CopiedToClipboard", this, &M::CopiedToClipboard, &M::SetCopiedToClipboard);
    TextProperty(F, L"CreatedText", this, &M::CreatedText, &M::SetCreatedText);
    TextProperty(F, L"Text", this, &M::Text, &M::SetText);
    NumberProperty(F, L"Height", this, &M::Height, &M::SetHeight);
    NumberProperty(F, L"Width", this, &M::Width, &M::SetWidth);
    TextProperty(F, L"TrueText", this, &M::TrueText, &M::SetTrueText);
    TextProperty(F, L"FalseText", this, &M::FalseText, &M::SetFalseText);
    TextProperty(F, L"ExportCaption", this, &M::ExportCaption, &M::SetExportCaption);
    TextProperty(F, L"CancelCaption", this, &M::CancelCaption, &M::SetCancelCaption);
    TextProperty(F, L"SaveTitle", this, &M::SaveTitle, &M::SetSaveTitle);
    TextProperty(F, L"SelectFormat", this, &M::SelectFormat, &M::SetSelectFormat);
    TextProperty(F, L"ExportToFile", this, &M::ExportToFile, &M::SetExportToFile);
    TextProperty(F, L"ViewOnly", this, &M::ViewOnly, &M::SetViewOnly);
    fw::DefinePersistent(F, L"DocumentFilter", DocumentFilter());
}

void TztCustomExport::DefineProperties(TFiler& F) {
    fw::TComponent::DefineProperties(F);
    using X = TztCustomExport;
    fw::DefineStrings(F, L"Captions", captions_.get());
    fw::DefineStrings(F, L"ColumnWidths", columnWidths_.get());
    // The type goes first: setting the set afterwards keeps it exactly as written
    // (the set always holds the type, so nothing is added to it).
    fw::DefineEnum(F, L"ExportType", exportType_, kExportTypes,
                   [this](int Value) { SetExportType(TztExportType(Value)); });
    fw::DefineSet(F, L"ExportTypes", exportTypes_.Bits(), kExportTypes,
                  [this](uint32_t Bits) { SetExportTypes(TztExportTypeSet::FromBits(Bits)); });
    TextProperty(F, L"FileName", this, &X::FileName, &X::SetFileName);
    fw::DefinePersistent(F, L"HTML", HTML());
    fw::DefinePersistent(F, L"DOC_RTF", DOC_RTF());
    fw::DefinePersistent(F, L"EXCEL", EXCEL());
    fw::DefineEnum(F, L"ExportStyle", exportStyle_, kExportStyles,
                   [this](int Value) { SetExportStyle(TztExportStyle(Value)); });
    fw::DefineString(
        F, L"TempDir", tempDir_, [this](const std::wstring& Value) { SetTempDir(Value); }, TempDirStored());
    fw::DefineSet(F, L"Options", options_.Bits(), kExportOptions,
                  [this](uint32_t Bits) { SetOptions(TztExportOptionSet::FromBits(Bits)); });
    fw::DefinePersistent(F, L"Messages", Messages());
    TextProperty(F, L"TruncateSymbol", this, &X::TruncateSymbol, &X::SetTruncateSymbol);
    TextProperty(F, L"RowNumberFormat", this, &X::RowNumberFormat, &X::SetRowNumberFormat);
    TextProperty(F, L"DateFormat", this, &X::DateFormat, &X::SetDateFormat);
    TextProperty(F, L"TimeFormat", this, &X::TimeFormat, &X::SetTimeFormat);
    TextProperty(F, L"DateTimeFormat", this, &X::DateTimeFormat, &X::SetDateTimeFormat);
    // Read (and ignored) when a form has it; never written.
    F.DefineProperty(
        L"Version", [](fw::TReader& R) { R.ReadString(); }, nullptr, false);
}

void TztStringGridExport::DefineProperties(TFiler& F) {
    TztCustomExport::DefineProperties(F);
    fw::DefineComponentRef(F, L"StringGrid", stringGrid_,
                           [this](fw::TComponent* Value) { SetStringGrid(dynamic_cast<fw::TStringGrid*>(Value)); });
}

}  // namespace zt
