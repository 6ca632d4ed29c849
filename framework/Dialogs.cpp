#include "framework/Dialogs.h"

#include <commdlg.h>

#include <cstring>
#include <vector>

#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/Printers.h"

namespace fw {

namespace {

const wchar_t kNoPrinter[] = L"No printer is installed.";

// "A|*.a|B|*.b" as the system wants it: pairs separated and ended by NULs.
std::wstring SystemFilter(const std::wstring& filter) {
    if (filter.empty()) return std::wstring(2, L'\0');
    std::wstring result = filter;
    for (auto& c : result)
        if (c == L'|') c = L'\0';
    result.append(2, L'\0');
    return result;
}

// Global memory holding a copy of the bytes, for a dialog's in-out structures.
GlobalHandle GlobalCopy(const void* data, size_t size) {
    GlobalHandle memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!memory) return memory;
    GlobalLockGuard lock(memory.get());
    if (lock.Data() && data) std::memcpy(lock.Data(), data, size);
    return memory;
}

std::vector<BYTE> GlobalBytes(HGLOBAL memory) {
    if (!memory) return {};
    GlobalLockGuard lock(memory);
    if (!lock.Data()) return {};
    const auto* bytes = static_cast<const BYTE*>(lock.Data());
    return std::vector<BYTE>(bytes, bytes + GlobalSize(memory));
}

// The printer object's printer as the dialog's starting choice.
void PrinterToDialog(PRINTDLGW& pd, GlobalHandle& names, GlobalHandle& mode) {
    TPrinter* printer = Printer();
    if (printer->PrinterIndex() < 0) return;
    const std::wstring device = printer->PrinterName();
    std::vector<wchar_t> block(sizeof(DEVNAMES) / sizeof(wchar_t) + device.size() + 3, L'\0');
    auto* dn = reinterpret_cast<DEVNAMES*>(block.data());
    const WORD first = WORD(sizeof(DEVNAMES) / sizeof(wchar_t));
    dn->wDriverOffset = WORD(first + device.size() + 1);  // an empty driver name: the spooler's choice
    dn->wDeviceOffset = first;
    dn->wOutputOffset = WORD(first + device.size() + 2);
    std::memcpy(block.data() + first, device.c_str(), device.size() * sizeof(wchar_t));
    names = GlobalCopy(block.data(), block.size() * sizeof(wchar_t));
    const std::vector<BYTE> devMode = printer->DeviceMode();
    if (!devMode.empty()) mode = GlobalCopy(devMode.data(), devMode.size());
    pd.hDevNames = names.get();
    pd.hDevMode = mode.get();
}

// The dialog's choice becomes the printer object's printer.
void DialogToPrinter(PRINTDLGW& pd, GlobalHandle& names, GlobalHandle& mode) {
    // The dialog may have replaced the blocks it was given; what it returns is ours to free.
    if (pd.hDevNames != names.get()) {
        (void)names.release();
        names.reset(pd.hDevNames);
    }
    if (pd.hDevMode != mode.get()) {
        (void)mode.release();
        mode.reset(pd.hDevMode);
    }
    std::wstring device;
    {
        GlobalLockGuard lock(names.get());
        if (lock.Data()) {
            const auto* dn = static_cast<const DEVNAMES*>(lock.Data());
            device = reinterpret_cast<const wchar_t*>(dn) + dn->wDeviceOffset;
        }
    }
    if (device.empty()) return;
    Printer()->Refresh();
    Printer()->SetDevice(device, GlobalBytes(mode.get()));
}

[[noreturn]] void RaiseDialogError(DWORD error) {
    if (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES) throw EPrinter(kNoPrinter);
    throw EPrinter(L"The print dialog failed (error " + std::to_wstring(error) + L").");
}

UINT_PTR CALLBACK PrintHookProc(HWND Dialog, UINT Msg, WPARAM, LPARAM LParam) {
    if (Msg == WM_INITDIALOG) {
        const auto* pd = reinterpret_cast<const PRINTDLGW*>(LParam);
        auto* show = reinterpret_cast<TNotifyEvent*>(pd->lCustData);
        (void)Dialog;
        if (show) (*show)(nullptr);
        return TRUE;
    }
    return FALSE;
}

// Runs PrintDlgW with the printer object's printer; OnShow fires from the hook.
bool RunPrintDialog(PRINTDLGW& pd, const std::function<void()>& shown) {
    // Printers come and go while the program runs; without any, the system's
    // dialog would only say so in a box of its own, or not at all.
    Printer()->Refresh();
    if (!Printer()->HasPrinter()) throw EPrinter(kNoPrinter);
    GlobalHandle names, mode;
    PrinterToDialog(pd, names, mode);
    TNotifyEvent hook = [&](TObject*) { shown(); };
    pd.Flags |= PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK;
    pd.lpfnPrintHook = PrintHookProc;
    pd.lpfnSetupHook = PrintHookProc;
    pd.lCustData = reinterpret_cast<LPARAM>(&hook);
    const BOOL confirmed = PrintDlgW(&pd);
    const DWORD error = confirmed ? 0 : CommDlgExtendedError();
    const DCHandle dialogDC(pd.hDC);
    if (confirmed) DialogToPrinter(pd, names, mode);
    else {
        // Blocks the dialog made in place of ours are its own, freed here.
        const GlobalHandle newNames(pd.hDevNames != names.get() ? pd.hDevNames : nullptr);
        const GlobalHandle newMode(pd.hDevMode != mode.get() ? pd.hDevMode : nullptr);
    }
    if (error) RaiseDialogError(error);
    return confirmed != FALSE;
}

}  // namespace

HWND TCommonDialog::OwnerWindow(HWND ParentWnd) {
    return ParentWnd ? ParentWnd : GetActiveWindow();
}

// --- File dialogs ------------------------------------------------------------------

void TOpenDialog::SetDefaultExt(const std::wstring& Value) {
    defaultExt_ = !Value.empty() && Value[0] == L'.' ? Value.substr(1) : Value;
}

UINT_PTR CALLBACK TOpenDialog::HookProc(HWND Dialog, UINT Msg, WPARAM, LPARAM LParam) {
    if (Msg == WM_INITDIALOG) {
        SetWindowLongPtrW(Dialog, GWLP_USERDATA, reinterpret_cast<const OPENFILENAMEW*>(LParam)->lCustData);
        return TRUE;
    }
    if (Msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(LParam)->code == CDN_INITDONE) {
        auto* self = reinterpret_cast<TOpenDialog*>(GetWindowLongPtrW(Dialog, GWLP_USERDATA));
        if (self) self->DoShow();
    }
    return FALSE;
}

bool TOpenDialog::RunFileDialog(HWND ParentWnd, bool Save) {
    std::vector<wchar_t> name(32768, L'\0');
    fileName_.copy(name.data(), name.size() - 1);
    const std::wstring filter = SystemFilter(filter_);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OwnerWindow(ParentWnd);
    ofn.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = DWORD(filterIndex_ > 0 ? filterIndex_ : 1);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = DWORD(name.size());
    ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
    ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
    ofn.Flags = options_ | OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = HookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    const BOOL confirmed = Save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    DoClose();
    if (!confirmed) return false;
    fileName_ = name.data();
    filterIndex_ = int(ofn.nFilterIndex);
    options_ = (options_ & ~ofReadOnly) | (ofn.Flags & OFN_READONLY);
    return true;
}

bool TOpenDialog::Execute(HWND ParentWnd) {
    return RunFileDialog(ParentWnd, false);
}

bool TSaveDialog::Execute(HWND ParentWnd) {
    return RunFileDialog(ParentWnd, true);
}

// --- Print dialogs -----------------------------------------------------------------

bool TPrintDialog::Execute(HWND ParentWnd) {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = OwnerWindow(ParentWnd);
    pd.Flags = PD_USEDEVMODECOPIESANDCOLLATE;
    if (!(options_ & poPageNums)) pd.Flags |= PD_NOPAGENUMS;
    if (!(options_ & poSelection)) pd.Flags |= PD_NOSELECTION;
    if (!(options_ & poPrintToFile)) pd.Flags |= PD_HIDEPRINTTOFILE;
    if (options_ & poDisablePrintToFile) pd.Flags |= PD_DISABLEPRINTTOFILE;
    if (printToFile_) pd.Flags |= PD_PRINTTOFILE;
    if (collate_) pd.Flags |= PD_COLLATE;
    if (printRange_ == prPageNums) pd.Flags |= PD_PAGENUMS;
    if (printRange_ == prSelection) pd.Flags |= PD_SELECTION;
    pd.nFromPage = WORD(fromPage_);
    pd.nToPage = WORD(toPage_);
    pd.nMinPage = WORD(minPage_);
    pd.nMaxPage = WORD(maxPage_);
    pd.nCopies = WORD(copies_ > 0 ? copies_ : 1);
    const bool confirmed = RunPrintDialog(pd, [this] { DoShow(); });
    DoClose();
    if (!confirmed) return false;
    printRange_ = (pd.Flags & PD_PAGENUMS) ? prPageNums : (pd.Flags & PD_SELECTION) ? prSelection : prAllPages;
    fromPage_ = pd.nFromPage;
    toPage_ = pd.nToPage;
    copies_ = pd.nCopies;
    collate_ = (pd.Flags & PD_COLLATE) != 0;
    printToFile_ = (pd.Flags & PD_PRINTTOFILE) != 0;
    return true;
}

bool TPrinterSetupDialog::Execute(HWND ParentWnd) {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = OwnerWindow(ParentWnd);
    pd.Flags = PD_PRINTSETUP;
    const bool confirmed = RunPrintDialog(pd, [this] { DoShow(); });
    DoClose();
    return confirmed;
}

}  // namespace fw
