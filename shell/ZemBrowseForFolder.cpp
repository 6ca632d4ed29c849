#include "shell/ZemBrowseForFolder.h"

#include <exception>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/WinControl.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"

namespace shell {

namespace {

// The Path of the last successful Execute; every new dialog starts with it.
std::wstring& LastPath() {
    static std::wstring path;
    return path;
}

}  // namespace

UINT BrowseInfoFlags(TZemBrowseFlags Options) {
    UINT flags = 0;
    if (Options & bfNewDialogStyle) flags |= BIF_NEWDIALOGSTYLE;
    if (Options & bfFileSystemOnly) flags |= BIF_RETURNONLYFSDIRS;
    if (Options & bfBrowseIncludeFiles) flags |= BIF_BROWSEINCLUDEFILES;
    if (Options & bfEditBox) flags |= BIF_EDITBOX;
    if (Options & bfBrowseForComputer) flags |= BIF_BROWSEFORCOMPUTER;
    if (Options & bfReturnInvalidPath) flags |= BIF_VALIDATE;
    return flags;
}

std::wstring BrowsePathOf(LPCITEMIDLIST Pidl) {
    if (!Pidl) return {};
    std::wstring path = PidlToPath(Pidl);
    if (!path.empty()) return path;
    // Virtual objects: what a folder browser standing on them calls them. This runs
    // inside the dialog's callback, where no exception may pass.
    try {
        TPathfinch browser(nullptr);
        browser.ShowErrorMessages = false;
        browser.SetFolderIDList(Pidl);
        path = browser.Folder();
        if (path.empty()) {
            browser.SelectFolderAsObject();
            path = browser.ObjectName();
        }
    } catch (const std::exception&) {
        path.clear();
    }
    return path;
}

TZemBaseBrowseDialog::TZemBaseBrowseDialog(fw::TComponent* AOwner) : TZemBaseDialog(AOwner), path_(LastPath()) {}

void TZemBaseBrowseDialog::SetOptions(TZemBrowseFlags Value) {
    if (Value & bfEditBox) Value |= bfNewDialogStyle;
    if (Value & bfBrowseForComputer) Value &= ~TZemBrowseFlags(bfNewDialogStyle);
    if (!(Value & bfNewDialogStyle)) Value &= ~TZemBrowseFlags(bfEditBox);
    options_ = Value;
}

void TZemBaseBrowseDialog::SetRootedAtFileSystemFolder(const std::wstring& Value) {
    if (HasState(fw::csDesigning)) {
        if (!Value.empty() && !PathExists(Value)) {
            fw::Application()->MessageBox(L"Path does not exist: " + Value);
            return;
        }
        rootedAtFileSystemFolder_ = Value;
        rootedAt_ = SF_FILESYSTEMFOLDER;
        return;
    }
    rootedAtFileSystemFolder_ = Value;
}

void TZemBaseBrowseDialog::SetWindowTitle(const std::wstring& Value) {
    windowTitle_ = Value;
    if (dialogWnd_) SetWindowTextW(dialogWnd_, windowTitle_.c_str());
}

void TZemBaseBrowseDialog::SetDialogButtonCaption(const std::wstring& Value) {
    dialogButtonCaption_ = Value;
    if (dialogWnd_) SetDlgItemTextW(dialogWnd_, IDOK, dialogButtonCaption_.c_str());
}

int TZemBaseBrowseDialog::DialogLeft() const {
    RECT r;
    if (dialogWnd_ && !HasState(fw::csDesigning) && GetWindowRect(dialogWnd_, &r)) return r.left;
    return dialogLeft_;
}

int TZemBaseBrowseDialog::DialogTop() const {
    RECT r;
    if (dialogWnd_ && !HasState(fw::csDesigning) && GetWindowRect(dialogWnd_, &r)) return r.top;
    return dialogTop_;
}

void TZemBaseBrowseDialog::SetDialogLeft(int Value) {
    dialogLeft_ = Value;
    Position();
}

void TZemBaseBrowseDialog::SetDialogTop(int Value) {
    dialogTop_ = Value;
    Position();
}

void TZemBaseBrowseDialog::Position() {
    if (!dialogWnd_) return;
    constexpr UINT keep = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    if (dialogLeft_ >= 1 && dialogTop_ >= 1) {
        SetWindowPos(dialogWnd_, nullptr, dialogLeft_, dialogTop_, 0, 0, keep);
        return;
    }
    RECT r;
    if (!GetWindowRect(dialogWnd_, &r)) return;
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - (r.right - r.left) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - (r.bottom - r.top) / 2;
    SetWindowPos(dialogWnd_, nullptr, x, y, 0, 0, keep);
}

HWND TZemBaseBrowseDialog::OwnerHandle() const {
    // A control's dialog belongs to the form the control sits on.
    for (fw::TComponent* owner = Owner(); owner; owner = owner->Owner()) {
        if (auto* form = dynamic_cast<fw::TCustomForm*>(owner)) return form->Handle();
        if (!dynamic_cast<fw::TWinControl*>(owner)) break;
    }
    if (fw::TCustomForm* main = fw::Application()->MainForm()) return main->Handle();
    return fw::Application()->Handle();
}

bool TZemBaseBrowseDialog::Execute() {
    return Execute(OwnerHandle());
}

LPITEMIDLIST TZemBaseBrowseDialog::RootList() const {
    if (!rootedAtFileSystemFolder_.empty() && PathExists(rootedAtFileSystemFolder_))
        if (LPITEMIDLIST pidl = PathToPidl(nullptr, rootedAtFileSystemFolder_)) return pidl;
    return GetSpecialFolderIDList(rootedAt_);
}

bool TZemBaseBrowseDialog::Execute(HWND ParentWnd) {
    validationFailed_ = false;
    // A cancelled dialog leaves Path as it was, whatever was highlighted meanwhile.
    const std::wstring before = path_;
    fw::PidlPtr root(RootList());
    std::vector<wchar_t> displayName(MAX_PATH + 1, L'\0');
    BROWSEINFOW info = {};
    info.hwndOwner = ParentWnd;
    info.pidlRoot = root.get();
    info.pszDisplayName = displayName.data();
    info.lpszTitle = title_.empty() ? nullptr : title_.c_str();
    info.ulFlags = BrowseInfoFlags(options_);
    info.lpfn = StaticCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);

    DoShow();
    fw::PidlPtr result(SHBrowseForFolderW(&info));
    const bool returned = bool(result);
    if (returned && !validationFailed_) {
        specialFolder_ = PidlToShellFolder(result.get());
        path_ = BrowsePathOf(result.get());
        if (!path_.empty()) LastPath() = path_;
        else path_ = displayName.data();
    } else {
        specialFolder_ = SF_FILESYSTEMFOLDER;
        // A failed validation keeps the typed text the callback stored.
        if (!validationFailed_) path_ = before;
    }
    result.reset();
    root.reset();
    dialogWnd_ = nullptr;
    DoClose();
    return returned;
}

int CALLBACK TZemBaseBrowseDialog::StaticCallback(HWND Wnd, UINT Msg, LPARAM LParam, LPARAM Data) {
    return reinterpret_cast<TZemBaseBrowseDialog*>(Data)->BrowseCallback(Wnd, Msg, LParam);
}

int TZemBaseBrowseDialog::BrowseCallback(HWND Wnd, UINT Msg, LPARAM LParam) {
    switch (Msg) {
    case BFFM_INITIALIZED: Initialize(Wnd); break;
    case BFFM_SELCHANGED:
        if (dialogWnd_) SelectionChanged(reinterpret_cast<LPCITEMIDLIST>(LParam));
        break;
    case BFFM_VALIDATEFAILEDW:
        validationFailed_ = true;
        path_ = LParam ? reinterpret_cast<const wchar_t*>(LParam) : L"";
        break;
    case BFFM_VALIDATEFAILEDA: {
        validationFailed_ = true;
        const char* text = LParam ? reinterpret_cast<const char*>(LParam) : "";
        const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        std::wstring wide(size_t(length > 0 ? length : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
        path_ = wide.c_str();
        break;
    }
    default: break;
    }
    return 0;
}

void TZemBaseBrowseDialog::Initialize(HWND Wnd) {
    dialogWnd_ = Wnd;
    Position();
    fw::PidlPtr initial;
    if (specialFolder_ != SF_FILESYSTEMFOLDER) initial.reset(GetSpecialFolderIDList(specialFolder_));
    else if (!path_.empty()) initial.reset(PathToPidl(nullptr, path_));
    if (initial) SendMessageW(Wnd, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(initial.get()));
    UpdateOkButton();
    if (!windowTitle_.empty()) SetWindowTextW(Wnd, windowTitle_.c_str());
    if (!dialogButtonCaption_.empty()) SetDlgItemTextW(Wnd, IDOK, dialogButtonCaption_.c_str());
}

void TZemBaseBrowseDialog::SelectionChanged(LPCITEMIDLIST Pidl) {
    path_ = BrowsePathOf(Pidl);
    specialFolder_ = PidlToShellFolder(Pidl);
    UpdateOkButton();
    if (OnChange) OnChange(this);
}

void TZemBaseBrowseDialog::UpdateOkButton() {
    okEnabled_ = !(options_ & bfFileSystemOnly) || !path_.empty();
    SendMessageW(dialogWnd_, BFFM_ENABLEOK, 0, okEnabled_);
}

}  // namespace shell
