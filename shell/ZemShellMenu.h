#pragma once
// TZemShellMenu: one shell context menu, filled into a menu handle of its own,
// whose commands can be listed by verb and invoked by command id or by verb.
// A plain object over an IContextMenu it holds a reference to; it owns its menu
// handle. Command ids run from 1 to 0x7FFF (the shell may use ids above 255).
// User-interface thread only.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "framework/Handles.h"

namespace fw {
class TStrings;
}

namespace shell {

constexpr UINT ShellMenuFirstId = 1;
constexpr UINT ShellMenuLastId = 0x7FFF;

struct TZemShellMenuCommand {
    UINT Id;            // the menu's command id (offset + 1)
    std::wstring Verb;  // the shell's language-independent verb; may be empty
};

class TZemShellMenu {
public:
    explicit TZemShellMenu(fw::ComPtr<IContextMenu> Menu);
    TZemShellMenu(const TZemShellMenu&) = delete;
    TZemShellMenu& operator=(const TZemShellMenu&) = delete;

    IContextMenu* Menu() const { return menu_.get(); }
    HMENU Handle() const { return handle_.get(); }
    // Fills the menu with Flags (CMF_*); false when the shell fails.
    bool Fill(UINT Flags);
    // Every command of the menu and its submenus, in menu order.
    std::vector<TZemShellMenuCommand> Commands() const;
    // The verb of a command id; empty when the shell names none.
    std::wstring VerbOf(UINT Id) const;
    // The id of the first command whose verb is Verb (any case); 0 when none.
    UINT FindVerb(const std::wstring& Verb) const;
    // The menu's default command; 0 when it has none (never -1).
    UINT DefaultCommand() const;
    // Invokes a command id with the platform's full invoke record; Directory
    // goes along when it is not empty and shorter than MAX_PATH.
    HRESULT InvokeCommand(UINT Id, HWND Owner, const std::wstring& Directory) const;
    // Invokes a verb by name (8-bit and wide text).
    HRESULT InvokeVerb(const std::wstring& Verb, HWND Owner, const std::wstring& Directory) const;

private:
    fw::ComPtr<IContextMenu> menu_;
    fw::MenuHandle handle_;
};

// The class keys of the shell's default folder menu for Paths, in sorted order
// without duplicates: "*", "AllFilesystemObjects", each extension (never an
// empty one), and "Directory" and "Folder" when a path is a folder. Each name
// is replaced by its program id's key when that opens. At most 16 keys, opened
// read-only; the caller owns them.
std::vector<fw::RegKey> DefaultMenuClassKeys(const fw::TStrings& Paths);
// The class names those keys are looked up by, sorted.
std::vector<std::wstring> DefaultMenuClassNames(const fw::TStrings& Paths);

}  // namespace shell
