#pragma once
// The browse-for-folder dialog: a non-visual component (new TZemBrowseForFolder(owner);
// the owner frees it) that shows the system's folder chooser and hands back the chosen
// folder as Path and SpecialFolder. The dialog runs modally on the calling thread;
// while it is open the component follows its selection (Path, OnChange) and can move,
// retitle and recaption it. Every dialog starts with the Path of the last successful
// Execute in the process.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/SpecialFolders.h"
#include "shell/ZemShellLink.h"

namespace shell {

enum TZemBrowseFlag : unsigned {
    bfNewDialogStyle = 1u << 0,
    bfFileSystemOnly = 1u << 1,
    bfBrowseIncludeFiles = 1u << 2,
    bfEditBox = 1u << 3,
    bfBrowseForComputer = 1u << 4,
    bfReturnInvalidPath = 1u << 5,
};
using TZemBrowseFlags = unsigned;  // a set of TZemBrowseFlag bits

// The system's BIF_ flags for a set of options.
UINT BrowseInfoFlags(TZemBrowseFlags Options);

class TZemBaseBrowseDialog : public TZemBaseDialog {
public:
    explicit TZemBaseBrowseDialog(fw::TComponent* AOwner);

    // Owned by the owner's form, else by the main form, else by the application.
    virtual bool Execute();
    bool Execute(HWND ParentWnd) override;

    const std::wstring& Path() const { return path_; }
    void SetPath(const std::wstring& Value) { path_ = Value; }
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& Value) { title_ = Value; }
    TZemShellFolder RootedAt() const { return rootedAt_; }
    void SetRootedAt(TZemShellFolder Value) { rootedAt_ = Value; }
    const std::wstring& RootedAtFileSystemFolder() const { return rootedAtFileSystemFolder_; }
    void SetRootedAtFileSystemFolder(const std::wstring& Value);
    // Kind of the last selection; SF_FILESYSTEMFOLDER (0) after a cancelled dialog.
    TZemShellFolder SpecialFolder() const { return specialFolder_; }
    // The open dialog's window; 0 while none is open.
    HWND DialogHandle() const { return dialogWnd_; }

    // Both 1 or more place the dialog there; anything else centres it on the screen.
    int DialogLeft() const;
    void SetDialogLeft(int Value);
    int DialogTop() const;
    void SetDialogTop(int Value);

    TZemBrowseFlags Options() const { return options_; }
    // An edit box needs the new style; browsing for computers excludes it.
    void SetOptions(TZemBrowseFlags Value);
    const std::wstring& WindowTitle() const { return windowTitle_; }
    void SetWindowTitle(const std::wstring& Value);
    const std::wstring& DialogButtonCaption() const { return dialogButtonCaption_; }
    void SetDialogButtonCaption(const std::wstring& Value);

    // Raised on every selection change in the open dialog.
    fw::TNotifyEvent OnChange;

protected:
    std::wstring ClassName() const override { return L"TZemBaseBrowseDialog"; }
    // The dialog's messages; always answers 0.
    virtual int BrowseCallback(HWND Wnd, UINT Msg, LPARAM LParam);

private:
    static int CALLBACK StaticCallback(HWND Wnd, UINT Msg, LPARAM LParam, LPARAM Data);
    HWND OwnerHandle() const;
    void Initialize(HWND Wnd);
    void SelectionChanged(LPCITEMIDLIST Pidl);
    void UpdateOkButton();
    void Position();
    LPITEMIDLIST RootList() const;

    std::wstring path_;
    std::wstring title_;
    TZemShellFolder rootedAt_ = SF_DESKTOP;
    HWND dialogWnd_ = nullptr;
    TZemShellFolder specialFolder_ = SF_FILESYSTEMFOLDER;
    int dialogTop_ = -1;
    int dialogLeft_ = -1;
    bool okEnabled_ = true;
    std::wstring windowTitle_;
    std::wstring dialogButtonCaption_;
    TZemBrowseFlags options_ = bfNewDialogStyle;
    std::wstring rootedAtFileSystemFolder_;
    bool validationFailed_ = false;
};

// The component as placed on a form; all behaviour is the base's.
class TZemBrowseForFolder : public TZemBaseBrowseDialog {
public:
    using TZemBaseBrowseDialog::TZemBaseBrowseDialog;

protected:
    std::wstring ClassName() const override { return L"TZemBrowseForFolder"; }
};

// The path an absolute list stands for, as the dialog reports it: the file-system
// path, else a folder browser's folder text, else its object name; empty when none.
std::wstring BrowsePathOf(LPCITEMIDLIST Pidl);

}  // namespace shell
