#pragma once
// The components that show a system dialog. A dialog component is owned like any
// component; Execute shows the dialog modally and answers whether the user
// confirmed it. OnShow and OnClose come as the dialog appears and goes.
// The file dialogs keep the chosen name in FileName; the print dialogs choose the
// printer of Printer() (framework/Printers.h) and, for printing, the page range.
#include <windows.h>

#include <string>

#include "framework/Classes.h"

namespace fw {

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

    // Shows the dialog owned by the application's active window.
    bool Execute() { return Execute(nullptr); }
    // Shows the dialog owned by ParentWnd (the active window when null).
    virtual bool Execute(HWND ParentWnd) = 0;

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    std::wstring ClassName() const override { return L"TCommonDialog"; }
    // Descendants call these when their dialog window appears and goes.
    virtual void DoShow() {
        if (OnShow) OnShow(this);
    }
    virtual void DoClose() {
        if (OnClose) OnClose(this);
    }
    // The window that owns a dialog shown for ParentWnd.
    static HWND OwnerWindow(HWND ParentWnd);
};

// Options of the file dialogs: the system's OFN_ flags.
using TOpenOptions = DWORD;
constexpr TOpenOptions ofReadOnly = OFN_READONLY, ofOverwritePrompt = OFN_OVERWRITEPROMPT,
                       ofHideReadOnly = OFN_HIDEREADONLY, ofNoChangeDir = OFN_NOCHANGEDIR,
                       ofNoValidate = OFN_NOVALIDATE, ofPathMustExist = OFN_PATHMUSTEXIST,
                       ofFileMustExist = OFN_FILEMUSTEXIST, ofCreatePrompt = OFN_CREATEPROMPT,
                       ofNoReadOnlyReturn = OFN_NOREADONLYRETURN, ofNoTestFileCreate = OFN_NOTESTFILECREATE,
                       ofNoDereferenceLinks = OFN_NODEREFERENCELINKS, ofEnableSizing = OFN_ENABLESIZING,
                       ofDontAddToRecent = OFN_DONTADDTORECENT, ofForceShowHidden = OFN_FORCESHOWHIDDEN;

// The open-file dialog. Filter reads "Text (*.txt)|*.txt|All files (*.*)|*.*";
// FilterIndex counts its pairs from 1; DefaultExt is added to a name typed without one.
// The name box takes no more than a path can hold, and a name that would make
// the path too long (with its folder and extension) is answered with a message
// and the dialog stays open: the system's dialog may fail on such a path.
class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

    bool Execute(HWND ParentWnd) override;
    using TCommonDialog::Execute;

    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(const std::wstring& Value) { fileName_ = Value; }
    const std::wstring& Filter() const { return filter_; }
    void SetFilter(const std::wstring& Value) { filter_ = Value; }
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int Value) { filterIndex_ = Value; }
    // Without its leading dot ("emf" and ".emf" are the same).
    const std::wstring& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::wstring& Value);
    const std::wstring& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::wstring& Value) { initialDir_ = Value; }
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& Value) { title_ = Value; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions Value) { options_ = Value; }

protected:
    std::wstring ClassName() const override { return L"TOpenDialog"; }
    // Runs the system's open or save dialog (Save chooses which).
    bool RunFileDialog(HWND ParentWnd, bool Save);

private:
    static UINT_PTR CALLBACK HookProc(HWND Dialog, UINT Msg, WPARAM WParam, LPARAM LParam);
    static LRESULT CALLBACK DialogProc(HWND Dialog, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR Id,
                                       DWORD_PTR Data);
    // The characters an extension added by the dialog may take, its dot included.
    int ExtensionRoom() const;
    // False (after saying so) when the name typed in Dialog makes too long a path.
    bool NameFits(HWND Dialog) const;

    std::wstring fileName_;
    std::wstring filter_;
    int filterIndex_ = 1;
    std::wstring defaultExt_;
    std::wstring initialDir_;
    std::wstring title_;
    TOpenOptions options_ = ofHideReadOnly | ofEnableSizing;
};

// The save-file dialog; the same properties as the open-file dialog.
class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

    bool Execute(HWND ParentWnd) override;
    using TCommonDialog::Execute;

protected:
    std::wstring ClassName() const override { return L"TSaveDialog"; }
};

enum TPrintRange {
    prAllPages,
    prSelection,
    prPageNums
};
enum TPrintDialogOption : unsigned {
    poPrintToFile = 1u << 0,
    poPageNums = 1u << 1,
    poSelection = 1u << 2,
    poWarning = 1u << 3,
    poDisablePrintToFile = 1u << 4
};
using TPrintDialogOptions = unsigned;  // a set of TPrintDialogOption bits

// The print dialog: printer, page range and copies. Confirmed, it makes the chosen
// printer (with its settings) the printer object's. Page numbers outside
// MinPage .. MaxPage are refused by the dialog itself.
class TPrintDialog : public TCommonDialog {
public:
    explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

    bool Execute(HWND ParentWnd) override;
    using TCommonDialog::Execute;

    TPrintDialogOptions Options() const { return options_; }
    void SetOptions(TPrintDialogOptions Value) { options_ = Value; }
    TPrintRange PrintRange() const { return printRange_; }
    void SetPrintRange(TPrintRange Value) { printRange_ = Value; }
    int FromPage() const { return fromPage_; }
    void SetFromPage(int Value) { fromPage_ = Value; }
    int ToPage() const { return toPage_; }
    void SetToPage(int Value) { toPage_ = Value; }
    int MinPage() const { return minPage_; }
    void SetMinPage(int Value) { minPage_ = Value; }
    int MaxPage() const { return maxPage_; }
    void SetMaxPage(int Value) { maxPage_ = Value; }
    int Copies() const { return copies_; }
    void SetCopies(int Value) { copies_ = Value; }
    bool Collate() const { return collate_; }
    void SetCollate(bool Value) { collate_ = Value; }
    bool PrintToFile() const { return printToFile_; }

protected:
    std::wstring ClassName() const override { return L"TPrintDialog"; }

private:
    TPrintDialogOptions options_ = 0;
    TPrintRange printRange_ = prAllPages;
    int fromPage_ = 0, toPage_ = 0, minPage_ = 0, maxPage_ = 0;
    int copies_ = 1;
    bool collate_ = false;
    bool printToFile_ = false;
};

// The printer set-up dialog: printer, paper and orientation for Printer().
class TPrinterSetupDialog : public TCommonDialog {
public:
    explicit TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

    bool Execute(HWND ParentWnd) override;
    using TCommonDialog::Execute;

protected:
    std::wstring ClassName() const override { return L"TPrinterSetupDialog"; }
};

}  // namespace fw
