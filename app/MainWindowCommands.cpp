// The main window's save, preview and clipboard commands, and the export
// component's settings and reports.
#include <windows.h>
#include <shellapi.h>

#include "app/MainWindow.h"
#include "framework/Application.h"
#include "framework/SysUtils.h"

void TForm1::SetupExport() {
    SGEXport->SetExportTypes(zt::TztExportTypeSet{zt::xtHTML, zt::xtTXT, zt::xtCSV, zt::xtTAB, zt::xtClipboard});
    SGEXport->SetExportType(zt::xtTXT);
    SGEXport->SetExportStyle(zt::xsFile);
    SGEXport->SetFileName(L"Tabulor");
    SGEXport->SetOptions(zt::TztExportOptionSet{zt::xoClipboardMessage, zt::xoFooterLine, zt::xoHeaderLine,
                                                zt::xoShowExportDate, zt::xoShowHeader, zt::xoShowProgress,
                                                zt::xoUseAlignments});
    SGEXport->SetDateFormat(L"d/MM/yyyy");
    SGEXport->SetTimeFormat(L"h:mm AMPM");
    SGEXport->SetDateTimeFormat(L"h:mm AMPM d/MM/yyyy");
    SGEXport->HTML()->SetTitle(L"Tabulorin");
    SGEXport->HTML()->SetTemplate(zt::ctStandard);
    SGEXport->HTML()->SetOptions(zt::TztExportHTMLOptionSet{zt::hoShowGridLines, zt::hoBoldHeaders, zt::hoAutoLink,
                                                            zt::hoOddRowColoring, zt::hoDisplayTitle});
    SGEXport->Messages()->SetCaption(L"Exporting String Grid");
    SGEXport->Messages()->SetCopiedToClipboard(L"Data was copied to clipboard!");
    SGEXport->Messages()->SetCreatedText(L"Created:");
    SGEXport->SetTruncateSymbol(L"...");
    SGEXport->SetRowNumberFormat(L"%d");
    SGEXport->OnError = [this](fw::TObject*, zt::TztExportError Error) { SGEXportError(Error); };
    SGEXport->OnFileExist = [this](fw::TObject*, const std::wstring& Name, bool& CanOverWrite) {
        SGEXportFileExist(Name, CanOverWrite);
    };
}

void TForm1::BindCommands() {
    auto bind = [this](fw::TMenuItem* Item, void (TForm1::*Handler)(fw::TObject*)) {
        Item->OnClick = [this, Handler](fw::TObject* Sender) { (this->*Handler)(Sender); };
    };
    bind(SaveasTextFile, &TForm1::SaveasTextFileClick);
    bind(SaveasHTML, &TForm1::SaveasHTMLClick);
    bind(SaveasTabbed, &TForm1::SaveasTabbedClick);
    bind(SaveasCSV, &TForm1::SaveasCSVClick);
    bind(SavetoClipboard, &TForm1::SavetoClipboardClick);
    bind(PreviewAsText, &TForm1::PreviewAsTextClick);
    bind(PreviewAsHTML, &TForm1::PreviewAsHTMLClick);
    bind(PreviewAsTAB, &TForm1::PreviewAsTABClick);
    bind(PreviewAsCSV, &TForm1::PreviewAsCSVClick);
    BtnSave->OnClick = [this](fw::TObject* Sender) { SaveasTextFileClick(Sender); };
    btnPreview->OnClick = [this](fw::TObject* Sender) { PreviewAsTextClick(Sender); };
}

// --- Running an export ------------------------------------------------------------------

void TForm1::PrepareOutput() {
    SetupGrid();
    // The export writes its own caption row from its Captions.
    if (cbHeaders->Checked()) MyGrid->RemoveRow(0);
}

void TForm1::RunCommand(const std::function<void()>& Command) {
    // A second command could change the grid or the export's settings under the
    // first one, or answer for it; the window is disabled while an export runs,
    // and this keeps out what comes by other ways.
    if (commandRunning_) return;
    commandRunning_ = true;
    try {
        Command();
    } catch (...) {
        commandRunning_ = false;
        throw;
    }
    commandRunning_ = false;
}

void TForm1::SaveCommand(const wchar_t* DefaultExt, const wchar_t* Filter, zt::TztExportType Type) {
    RunCommand([&] { SaveWithDialog(DefaultExt, Filter, Type); });
}

void TForm1::SaveWithDialog(const wchar_t* DefaultExt, const wchar_t* Filter, zt::TztExportType Type) {
    DlgSave->SetDefaultExt(DefaultExt);
    DlgSave->SetFilter(Filter);
    DlgSave->SetFilterIndex(0);
    // The export gives the file its format's extension after the dialog: the
    // overwrite question is asked for that name (SGEXportFileExist), not the typed one.
    const fw::TOpenOptions options = DlgSave->Options();
    DlgSave->SetOptions(options & ~fw::ofOverwritePrompt);
    bool confirmed = false;
    try {
        confirmed = DlgSave->Execute(Handle());
    } catch (...) {
        DlgSave->SetOptions(options);
        throw;
    }
    DlgSave->SetOptions(options);
    if (confirmed) ExportListing(zt::xsFile, Type, DlgSave->FileName());
}

void TForm1::ExportListing(zt::TztExportStyle Style, zt::TztExportType Type, const std::wstring& FileName) {
    PrepareOutput();
    SGEXport->SetExportStyle(Style);
    if (Style == zt::xsFile) SGEXport->SetFileName(FileName);
    SGEXport->SetExportType(Type);
    exportRefused_ = false;
    SGEXport->Execute();
    ClearGrid();
}

void TForm1::SGEXportFileExist(const std::wstring& FileName, bool& CanOverWrite) {
    if (!(DlgSave->Options() & fw::ofOverwritePrompt)) return;
    // The question is the window's: while it is open the window takes no other command.
    const int answer = fw::Application()->MessageBox(FileName + L" already exists.\nDo you want to replace it?",
                                                     L"Confirm Save As", MB_YESNO | MB_ICONWARNING, Handle());
    CanOverWrite = answer == IDYES;
}

void TForm1::SGEXportError(zt::TztExportError Error) {
    std::wstring text;
    switch (Error) {
    case zt::xeFileExist:
        // The user chose not to replace the file: the run's end says nothing more.
        exportRefused_ = true;
        return;
    case zt::xeUserCancelled: return;
    case zt::xeInvalidFileName: text = L"The listing was not saved: no file name was given."; break;
    case zt::xeComponentIsNull: text = L"There is no listing to export."; break;
    case zt::xeRowsLeftOut: text = L"The document has no room for every row of the listing."; break;
    case zt::xeColumnsLeftOut: text = L"The document has no room for every column of the listing."; break;
    case zt::xeViewFailed:
        // The file is there: say so, and where, whatever kept it from being shown.
        text = SGEXport->ViewResult() == SE_ERR_NOASSOC || SGEXport->ViewResult() == SE_ERR_ASSOCINCOMPLETE
                   ? L"No program is set to open this kind of file.\nThe listing was written to " +
                         SGEXport->ViewedFileName() + L"."
                   : L"The listing was written to " + SGEXport->ViewedFileName() + L", but it could not be shown.";
        break;
    case zt::xeGeneralExportError:
        if (exportRefused_) return;
        if (SGEXport->ExportType() == zt::xtClipboard) text = L"The listing could not be copied to the clipboard.";
        else if (SGEXport->ExportStyle() == zt::xsView) text = L"The listing could not be written for viewing.";
        else
            text = L"The listing could not be saved to " +
                   fw::ChangeFileExt(SGEXport->FileName(), L"." + SGEXport->GetDefaultExtension()) + L".";
        break;
    }
    fw::Application()->MessageBox(text, L"", MB_OK | MB_ICONSTOP, Handle());
}

// --- The nine commands -------------------------------------------------------------------

void TForm1::SaveasTextFileClick(fw::TObject*) {
    // The button comes up again however the command ends.
    struct Release {
        vx::TVxArrowButton* button;
        ~Release() { button->SetDown(false); }
    } release{BtnSave};
    SaveCommand(L"txt", L"Text File|*.txt|All Files|*", zt::xtTXT);
}

void TForm1::SaveasHTMLClick(fw::TObject*) {
    SaveCommand(L"html", L"HTML File|*.html|All Files|*", zt::xtHTML);
}

void TForm1::SaveasTabbedClick(fw::TObject*) {
    SaveCommand(L"txt", L"Tab-Seperated Text File|*.txt|All Files|*", zt::xtTAB);
}

void TForm1::SaveasCSVClick(fw::TObject*) {
    SaveCommand(L"csv", L"Comma-Seperated Text File|*.csv|All Files|*", zt::xtCSV);
}

void TForm1::SavetoClipboardClick(fw::TObject*) {
    RunCommand([this] {
        PrepareOutput();
        // The style stays as the last save or preview left it: the clipboard takes
        // the text either way.
        SGEXport->SetExportType(zt::xtClipboard);
        SGEXport->Execute();
        ClearGrid();
    });
}

void TForm1::PreviewAsTextClick(fw::TObject*) {
    struct Release {
        vx::TVxArrowButton* button;
        ~Release() { button->SetDown(false); }
    } release{btnPreview};
    RunCommand([this] { ExportListing(zt::xsView, zt::xtTXT); });
}

void TForm1::PreviewAsHTMLClick(fw::TObject*) {
    RunCommand([this] { ExportListing(zt::xsView, zt::xtHTML); });
}

void TForm1::PreviewAsTABClick(fw::TObject*) {
    RunCommand([this] { ExportListing(zt::xsView, zt::xtTAB); });
}

void TForm1::PreviewAsCSVClick(fw::TObject*) {
    RunCommand([this] { ExportListing(zt::xsView, zt::xtCSV); });
}
