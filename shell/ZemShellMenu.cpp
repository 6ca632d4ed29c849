#include "shell/ZemShellMenu.h"

#include <uxtheme.h>

#include <algorithm>
#include <set>

#include "framework/Menus.h"
#include "framework/StringList.h"
#include "shell/PathUtils.h"
#include "shell/ShellEntryPoints.h"

namespace shell {

namespace {

void CollectCommands(const TZemShellMenu& Owner, HMENU Menu, std::vector<TZemShellMenuCommand>& Out) {
    const int count = GetMenuItemCount(Menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(Menu, UINT(i), TRUE, &info)) continue;
        if (info.hSubMenu) {
            CollectCommands(Owner, info.hSubMenu, Out);
        } else if (!(info.fType & MFT_SEPARATOR) && info.wID >= ShellMenuFirstId && info.wID <= ShellMenuLastId) {
            Out.push_back(TZemShellMenuCommand{info.wID, Owner.VerbOf(info.wID)});
        }
    }
}

std::string ToAnsi(const std::wstring& Text) {
    if (Text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, Text.c_str(), int(Text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, Text.c_str(), int(Text.size()), ansi.data(), n, nullptr, nullptr);
    return ansi;
}

HRESULT Invoke(IContextMenu* Menu, LPCSTR Verb, LPCWSTR VerbW, HWND Owner, const std::wstring& Directory) {
    if (!Menu) return E_POINTER;
    // The platform's own record size (104 bytes on x64) and the Unicode mask,
    // so the shell reads the wide fields.
    CMINVOKECOMMANDINFOEX info{};
    info.cbSize = sizeof(info);
    info.fMask = CMIC_MASK_UNICODE | CMIC_MASK_FLAG_LOG_USAGE;
    // Without an owner window no box or dialog may appear.
    if (!Owner) info.fMask |= CMIC_MASK_FLAG_NO_UI;
    info.hwnd = Owner;
    info.lpVerb = Verb;
    info.lpVerbW = VerbW;
    info.nShow = SW_SHOWNORMAL;
    std::string directory;
    if (!Directory.empty() && Directory.size() < MAX_PATH) {
        directory = ToAnsi(Directory);
        info.lpDirectory = directory.c_str();
        info.lpDirectoryW = Directory.c_str();
    }
    return Menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
}

}  // namespace

TZemShellMenu::TZemShellMenu(fw::ComPtr<IContextMenu> Menu) : menu_(std::move(Menu)), handle_(CreatePopupMenu()) {}

bool TZemShellMenu::Fill(UINT Flags) {
    if (!menu_ || !handle_) return false;
    try {
        return SUCCEEDED(menu_->QueryContextMenu(handle_.get(), 0, ShellMenuFirstId, ShellMenuLastId, Flags));
    } catch (...) {
        return false;
    }
}

std::vector<TZemShellMenuCommand> TZemShellMenu::Commands() const {
    std::vector<TZemShellMenuCommand> commands;
    if (handle_) CollectCommands(*this, handle_.get(), commands);
    return commands;
}

std::wstring TZemShellMenu::VerbOf(UINT Id) const {
    return ShellCommandString(menu_.get(), Id, GCS_VERBW);
}

UINT TZemShellMenu::FindVerb(const std::wstring& Verb) const {
    for (const TZemShellMenuCommand& command : Commands())
        if (!command.Verb.empty() && lstrcmpiW(command.Verb.c_str(), Verb.c_str()) == 0) return command.Id;
    return 0;
}

UINT TZemShellMenu::DefaultCommand() const {
    if (!handle_) return 0;
    const UINT id = GetMenuDefaultItem(handle_.get(), FALSE, GMDI_GOINTOPOPUPS);
    // GetMenuDefaultItem answers -1 for none.
    return (id == UINT(-1) || id < ShellMenuFirstId || id > ShellMenuLastId) ? 0 : id;
}

HRESULT TZemShellMenu::InvokeCommand(UINT Id, HWND Owner, const std::wstring& Directory) const {
    return InvokeShellCommand(menu_.get(), Id, Owner, Directory);
}

HRESULT TZemShellMenu::InvokeVerb(const std::wstring& Verb, HWND Owner, const std::wstring& Directory) const {
    const std::string ansi = ToAnsi(Verb);
    return Invoke(menu_.get(), ansi.c_str(), Verb.c_str(), Owner, Directory);
}

std::wstring ShellCommandString(IContextMenu* Menu, UINT Id, UINT Type, UINT MaxChars) {
    if (!Menu || Id < ShellMenuFirstId || Id > ShellMenuLastId || MaxChars == 0) return std::wstring();
    std::wstring text(MaxChars, L'\0');
    try {
        if (FAILED(Menu->GetCommandString(Id - ShellMenuFirstId, Type, nullptr, reinterpret_cast<LPSTR>(text.data()),
                                          MaxChars)))
            return std::wstring();
    } catch (...) {
        return std::wstring();
    }
    text.resize(wcsnlen(text.c_str(), MaxChars));
    return text;
}

HRESULT InvokeShellCommand(IContextMenu* Menu, UINT Id, HWND Owner, const std::wstring& Directory) {
    if (Id < ShellMenuFirstId || Id > ShellMenuLastId) return E_INVALIDARG;
    const UINT offset = Id - ShellMenuFirstId;
    return Invoke(Menu, MAKEINTRESOURCEA(offset), reinterpret_cast<LPCWSTR>(MAKEINTRESOURCEA(offset)), Owner,
                  Directory);
}

fw::TMenuItem* CopyMenuItem(fw::TComponent* Owner, const fw::TMenuItem* Source, bool WithBitmap) {
    auto* copy = new fw::TMenuItem(Owner);
    copy->SetCaption(Source->Caption());
    copy->SetShortCut(Source->ShortCut());
    copy->OnClick = Source->OnClick;
    copy->SetBreak(Source->Break());
    copy->SetRadioItem(Source->RadioItem());
    copy->SetGroupIndex(Source->GroupIndex());
    copy->SetChecked(Source->Checked());
    copy->SetDefault(Source->Default());
    copy->SetEnabled(Source->Enabled());
    copy->SetVisible(Source->Visible());
    copy->SetHelpContext(Source->HelpContext());
    copy->SetTag(Source->Tag());
    copy->SetHint(Source->Hint());
    copy->SetImageIndex(Source->ImageIndex());
    if (WithBitmap && Source->HasBitmap()) copy->SetBitmap(const_cast<fw::TMenuItem*>(Source)->Bitmap());
    return copy;
}

fw::TMenuItem* CopyMenuItems(fw::TComponent* Owner, const fw::TMenuItem* Source, fw::TMenuItem* Dest,
                             const fw::TMenuItem* Marked, bool WithBitmaps) {
    fw::TMenuItem* markedCopy = nullptr;
    for (int i = 0; i < Source->Count(); ++i) {
        const fw::TMenuItem* item = Source->Items(i);
        fw::TMenuItem* copy = CopyMenuItem(Owner, item, WithBitmaps);
        Dest->Add(copy);
        if (item == Marked) markedCopy = copy;
        if (fw::TMenuItem* inner = CopyMenuItems(Owner, item, copy, Marked, WithBitmaps)) markedCopy = inner;
    }
    return markedCopy;
}

fw::TMenuItem* FindMenuItem(fw::TMenuItem* Items, UINT Command) {
    if (!Items) return nullptr;
    for (int i = 0; i < Items->Count(); ++i) {
        fw::TMenuItem* item = Items->Items(i);
        if (item->Command() == Command) return item;
        if (fw::TMenuItem* inner = FindMenuItem(item, Command)) return inner;
    }
    return nullptr;
}

bool FindAndClickCommand(fw::TMenuItem* Items, UINT Command) {
    fw::TMenuItem* item = FindMenuItem(Items, Command);
    if (!item) return false;
    item->Click();
    return true;
}

bool MenuCopiesTakeImages() {
    if (MenuVisualStylesHook) return !MenuVisualStylesHook();
    return !(OsVersionFlags().WinVistaOrLater && IsThemeActive() && IsAppThemed());
}

bool IsShiftPressed() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

std::vector<std::wstring> DefaultMenuClassNames(const fw::TStrings& Paths) {
    auto less = [](const std::wstring& A, const std::wstring& B) {
        return CompareStringOrdinal(A.c_str(), int(A.size()), B.c_str(), int(B.size()), TRUE) == CSTR_LESS_THAN;
    };
    std::set<std::wstring, decltype(less)> names(less);
    names.insert(L"*");
    names.insert(L"AllFilesystemObjects");
    for (int i = 0; i < Paths.Count(); ++i) {
        const std::wstring path = Paths.Strings(i);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.insert(L"Directory");
            names.insert(L"Folder");
            continue;
        }
        const std::size_t slash = path.find_last_of(L"\\/:");
        const std::size_t dot = path.rfind(L'.');
        // No extension, or a bare dot, must never open the class root itself.
        if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) || dot + 1 >= path.size())
            continue;
        names.insert(path.substr(dot));
    }
    return std::vector<std::wstring>(names.begin(), names.end());
}

std::vector<fw::RegKey> DefaultMenuClassKeys(const fw::TStrings& Paths) {
    std::vector<fw::RegKey> keys;
    for (const std::wstring& name : DefaultMenuClassNames(Paths)) {
        if (keys.size() >= 16) break;
        fw::RegKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) continue;
        wchar_t progId[MAX_PATH] = {};
        DWORD bytes = sizeof(progId) - sizeof(wchar_t);
        if (RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(progId), &bytes) ==
                ERROR_SUCCESS &&
            progId[0]) {
            fw::RegKey program;
            if (RegOpenKeyExW(HKEY_CLASSES_ROOT, progId, 0, KEY_READ, program.put()) == ERROR_SUCCESS)
                key = std::move(program);
        }
        keys.push_back(std::move(key));
    }
    return keys;
}

}  // namespace shell
