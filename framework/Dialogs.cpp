#include "framework/Dialogs.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/Application.h"
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

namespace {

// The longest path the system's file dialog works with, without its end mark.
constexpr int kLongestPath = MAX_PATH - 1;
// What a folder without a file-system path (the computer, the desktop's own items)
// is taken to cost: the dialog joins their parsing names, "::{GUID}" and the like.
constexpr int kVirtualFolderRoom = 80;

// The edit of the dialog's file-name box (a combo box's edit, or a plain edit).
HWND NameEdit(HWND Dialog) {
    HWND box = GetDlgItem(Dialog, cmb13);
    if (!box) return GetDlgItem(Dialog, edt1);
    if (HWND edit = reinterpret_cast<HWND>(SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0))) return edit;
    if (HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr)) return edit;
    return box;
}

std::wstring WindowText(HWND Window) {
    std::wstring text(size_t(GetWindowTextLengthW(Window)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(Window, text.data(), int(text.size()))));
    return text;
}

}  // namespace

int TOpenDialog::ExtensionRoom() const {
    size_t longest = defaultExt_.size();
    // The patterns of the filter ("*.html") may give the extension too.
    for (size_t at = filter_.find(L"*."); at != std::wstring::npos; at = filter_.find(L"*.", at + 2)) {
        const size_t end = filter_.find_first_of(L";|", at);
        longest = std::max(longest, (end == std::wstring::npos ? filter_.size() : end) - at - 2);
    }
    return int(longest) + 1;
}

bool TOpenDialog::NameFits(HWND Dialog) const {
    const std::wstring name = WindowText(NameEdit(Dialog));
    int length = int(name.size()) + ExtensionRoom();
    if (PathIsRelativeW(name.c_str())) {
        wchar_t folder[MAX_PATH * 2] = {};
        const LRESULT n = SendMessageW(Dialog, CDM_GETFOLDERPATH, MAX_PATH * 2, reinterpret_cast<LPARAM>(folder));
        length += (n > 1 ? int(wcslen(folder)) : kVirtualFolderRoom) + 1;
    } else if (name.size() < 2 || name[1] != L':') {
        length += 2;  // a name from the root of the folder's drive
    }
    if (length <= kLongestPath) return true;
    Application()->MessageBox(L"The file name is too long. A folder and a file name together may have at most " +
                                  std::to_wstring(kLongestPath - ExtensionRoom()) +
                                  L" characters: choose a shorter name, or a folder nearer the top of the drive.",
                              L"", MB_OK | MB_ICONWARNING, Dialog);
    SetFocus(NameEdit(Dialog));
    return false;
}

LRESULT CALLBACK TOpenDialog::DialogProc(HWND Dialog, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR Id,
                                         DWORD_PTR Data) {
    // The dialog's own handling of its button would fail on too long a path: the
    // name is looked at first.
    if (Msg == WM_COMMAND && LOWORD(WParam) == IDOK && !reinterpret_cast<TOpenDialog*>(Data)->NameFits(Dialog))
        return 0;
    if (Msg == WM_NCDESTROY) RemoveWindowSubclass(Dialog, DialogProc, Id);
    return DefSubclassProc(Dialog, Msg, WParam, LParam);
}

UINT_PTR CALLBACK TOpenDialog::HookProc(HWND Dialog, UINT Msg, WPARAM, LPARAM LParam) {
    if (Msg == WM_INITDIALOG) {
        const LPARAM self = reinterpret_cast<const OPENFILENAMEW*>(LParam)->lCustData;
        SetWindowLongPtrW(Dialog, GWLP_USERDATA, self);
        // The hook's window is a child of the system's dialog, whose buttons it watches.
        SetWindowSubclass(GetParent(Dialog), DialogProc, 1, DWORD_PTR(self));
        return TRUE;
    }
    if (Msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(LParam)->code == CDN_INITDONE) {
        auto* self = reinterpret_cast<TOpenDialog*>(GetWindowLongPtrW(Dialog, GWLP_USERDATA));
        if (!self) return FALSE;
        // No more can be typed than a path takes with its extension.
        SendMessageW(NameEdit(GetParent(Dialog)), EM_LIMITTEXT, WPARAM(kLongestPath - self->ExtensionRoom()), 0);
        self->DoShow();
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
