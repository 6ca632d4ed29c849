// Settings and the run of the export component; the document flow is in
// CustomExportDocument.cpp, the formats' parts in their writers.
#include "export/CustomExport.h"

#include <shellapi.h>

#include "export/ExportProgress.h"
#include "export/FormatWriter.h"
#include "export/ExportSelect.h"
#include "export/ResourceTexts.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"

namespace zt {

std::function<intptr_t(HWND, const std::wstring&, const std::wstring&, int)> TztCustomExport::ViewerHook;

namespace {

constexpr uint16_t kComponentVersion = 550;  // shown as "2.38"

std::wstring SystemTempDir() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return (n > 0 && n <= MAX_PATH) ? std::wstring(buffer, n) : std::wstring();
}

// A folder without its one trailing backslash (a drive root "X:\" keeps it).
std::wstring WithoutTrailingBackslash(const std::wstring& Path) {
    if (Path.size() == 3 && Path[1] == L':' && Path[2] == L'\\') return Path;
    return fw::ExcludeTrailingPathDelimiter(Path);
}

bool SameFolder(const std::wstring& A, const std::wstring& B) {
    return fw::AnsiCompareText(WithoutTrailingBackslash(A), WithoutTrailingBackslash(B)) == 0;
}

}  // namespace

TztCustomExport::TztCustomExport(fw::TComponent* AOwner)
    : fw::TComponent(AOwner),
      captions_(std::make_unique<fw::TStringList>()),
      columnWidths_(std::make_unique<fw::TStringList>()),
      html_(std::make_unique<TztHTMLOptions>()),
      docRtf_(std::make_unique<TztRTFOptions>()),
      excel_(std::make_unique<TztExcelOptions>()),
      outputStream_(std::make_unique<fw::TMemoryStream>()),
      tempDir_(SystemTempDir()),
      messages_(std::make_unique<TztMessagesOptions>()) {
    // In the class library's format letters, as the form stores them.
    dateFormat_ = fw::FormatSettings().ShortDateFormat;
    timeFormat_ = fw::FormatSettings().ShortTimeFormat;
    dateTimeFormat_ = dateFormat_ + L" " + timeFormat_;
    excelWriter_ = new TztNativeExcel(this);
    progressForm_ = new Tfrm_ProgressForm(this);
    selectionForm_ = new Tfrm_Selection(this);
    selectionForm_->OnPaintIcon = [this](HDC DC) { GetFormatIcon(DC); };
}

TztCustomExport::~TztCustomExport() {
    // The icon painter goes before the window that calls it.
    if (selectionForm_) selectionForm_->OnPaintIcon = nullptr;
    DestroyComponents();
}

void TztCustomExport::SetExportTypes(TztExportTypeSet Value) {
    if (Value == exportTypes_) return;
    exportTypes_ = Value;
    exportTypes_.Include(exportType_);
}

void TztCustomExport::SetExportType(TztExportType Value) {
    exportType_ = Value;
    exportTypes_.Include(Value);
}

void TztCustomExport::SetTempDir(const std::wstring& Value) {
    if (!SameFolder(Value, tempDir_)) tempDir_ = Value;
}

bool TztCustomExport::TempDirStored() const {
    return !tempDir_.empty() && !SameFolder(tempDir_, SystemTempDir());
}

void TztCustomExport::SetRowNumberFormat(const std::wstring& Value) {
    if (Value.find(L"%d") == std::wstring::npos) {
        ShowMessage(L"The format has to contain %d string.", MB_OK | MB_ICONERROR);
        return;
    }
    rowNumberFormat_ = Value;
}

std::wstring TztCustomExport::Version() const {
    return std::to_wstring(kComponentVersion >> 8) + L"." + std::to_wstring(kComponentVersion & 0xFF);
}

int TztCustomExport::ColumnAlignment(int) {
    return 0;
}

std::wstring TztCustomExport::GetDefaultExtension() const {
    return DefaultExtension(exportType_);
}

std::wstring TztCustomExport::DefaultExtension(TztExportType Type) const {
    switch (Type) {
    case xtHTML: return html_->Extension() == exHTM ? L"HTM" : L"HTML";
    case xtExcel: return L"XLS";
    case xtWord: return L"DOC";
    case xtTXT:
    case xtTAB: return L"TXT";
    case xtCSV: return L"CSV";
    case xtRTF: return L"RTF";
    case xtDIF: return L"DIF";
    case xtSYLK: return L"SLK";
    case xtClipboard: return L"TMP";
    }
    return L"TMP";
}

void TztCustomExport::Error(TztExportError Code) {
    if (OnError) OnError(this, Code);
}

HWND TztCustomExport::OwnerFormWindow() const {
    for (fw::TComponent* owner = Owner(); owner; owner = owner->Owner())
        if (auto* form = dynamic_cast<fw::TCustomForm*>(owner))
            return form->HandleAllocated() ? form->Handle() : nullptr;
    return nullptr;
}

void TztCustomExport::ShowMessage(const std::wstring& Text, unsigned Flags) {
    const std::wstring caption = (Flags & MB_ICONERROR) ? L"Error" : L"Information";
    // The box belongs to the form whose command ran the export, not to the progress window.
    fw::Application()->MessageBox(Text, caption, Flags, OwnerFormWindow());
}

// The target of a run: FileName with the format's extension, or a temporary
// name not yet taken. False (and reported) when no name can be formed.
bool TztCustomExport::MakeTarget(const TztDocumentSettings& Run, TztExportStyle Style, std::wstring& Target) {
    std::wstring extension = DefaultExtension(Run.type);
    if (OnGetExtension) OnGetExtension(this, extension);
    // The clipboard receives the text; no file is named, written or opened.
    if (Run.type == xtClipboard) {
        Target.clear();
        return true;
    }
    if (Style == xsFile) {
        Target = fw::ChangeFileExt(Run.fileName, L"." + extension);
        return true;
    }
    // The system's temporary-name rule: prefix, four hexadecimal digits, ".TMP";
    // the numbers run out after 16 bits.
    // An empty TempDir is the system's temporary folder (not the drive's root).
    const std::wstring folder = fw::IncludeTrailingPathDelimiter(tempDir_.empty() ? SystemTempDir() : tempDir_);
    const std::wstring prefix = ztResourceText(SztTempPrefix);
    for (unsigned number = 1; number <= 0xFFFF; ++number) {
        const std::wstring name =
            fw::ChangeFileExt(folder + prefix + fw::IntToHex(number, 4) + L".TMP", L"." + extension);
        if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) {
            Target = name;
            return true;
        }
    }
    Error(xeGeneralExportError);
    return false;
}

namespace {

// For the length of a run: the component counts as running, and the form that
// started it takes no input (its question boxes and the progress window are the
// only ways in), so no second command can change the settings or the source's
// rows under the run. The form gets its input back, and is active again, at the end.
class TRunGuard {
public:
    TRunGuard(bool& Running, HWND Form) : running_(Running), form_(Form) {
        running_ = true;
        if (!form_ || !IsWindowEnabled(form_)) {
            form_ = nullptr;
            return;
        }
        // A disabled window loses the focus; it is given back at the end.
        focus_ = GetFocus();
        if (focus_ != form_ && !IsChild(form_, focus_)) focus_ = nullptr;
        EnableWindow(form_, FALSE);
    }
    ~TRunGuard() {
        running_ = false;
        if (!form_ || !IsWindow(form_)) return;
        EnableWindow(form_, TRUE);
        const HWND active = GetActiveWindow();
        if (!active || !IsWindowVisible(active) || !IsWindowEnabled(active)) SetActiveWindow(form_);
        else if (active == form_ && !GetFocus() && focus_ && IsWindow(focus_)) SetFocus(focus_);
    }
    TRunGuard(const TRunGuard&) = delete;
    TRunGuard& operator=(const TRunGuard&) = delete;

private:
    bool& running_;
    HWND form_;
    HWND focus_ = nullptr;
};

}  // namespace

void TztCustomExport::Execute() {
    if (running_) return;
    if (!SourceAssigned()) {
        Error(xeComponentIsNull);
        return;
    }
    const TRunGuard guard(running_, OwnerFormWindow());
    BeforeExport();
    // The run's type, name and settings are those of this moment: a handler
    // that changes them during the run changes the next run, not this one.
    TztDocumentSettings run = DocumentSettings(fileName_);
    const TztExportStyle style = exportStyle_;
    if (run.fileName.empty() && style == xsFile && run.type != xtClipboard) {
        Error(xeInvalidFileName);
        AfterExport();
        return;
    }
    std::wstring target;
    if (MakeTarget(run, style, target)) {
        WriteDocument(target, &run);
        // Only a document that was written is opened.
        if (style == xsView && run.type != xtClipboard && written_) ViewDocument(target);
    }
    AfterExport();
}

void TztCustomExport::ViewDocument(const std::wstring& FileName) {
    const std::wstring folder = fw::ExtractFilePath(FileName);
    HWND parent = nullptr;
    try {
        parent = fw::Application()->Handle();
    } catch (const fw::Exception&) {
        // No desktop to own the viewer: the shell gets no parent window.
    }
    intptr_t result;
    if (ViewerHook) {
        result = ViewerHook(parent, FileName, folder, SW_SHOWNOACTIVATE);
    } else {
        result = reinterpret_cast<intptr_t>(ShellExecuteW(
            parent, nullptr, FileName.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOWNOACTIVATE));
    }
    viewedFileName_ = FileName;
    viewResult_ = result;
    if (result <= 32) Error(xeViewFailed);
}

void TztCustomExport::SetupProgress() {
    const int max = counters_.recordCount > 0x7FFFFFFFu ? 0x7FFFFFFF : int(counters_.recordCount);
    progressForm_->Start(messages_->Caption(), messages_->Text(), messages_->Width(), messages_->Height(), max);
}

void TztCustomExport::CloseProgress() {
    progressForm_->Finish();
}

void TztCustomExport::GetFormatIcon(HDC DC) {
    selectionForm_->DrawFormatIcon(DC, exportType_);
}

}  // namespace zt
