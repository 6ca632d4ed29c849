#pragma once
// TZemShellMenu: one shell context menu, filled into a menu handle of its own,
// whose commands can be listed by verb and invoked by command id or by verb.
// A plain object over an IContextMenu it holds a reference to; it owns its menu
// handle. Command ids run from 1 to 0x7FFF (the shell may use ids above 255);
// the framework's menu items use ids above that, so both share one native menu.
// Also the routines that merge an owner's popup menu with a shell menu.
// User-interface thread only.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Handles.h"

namespace fw {
class TComponent;
class TMenuItem;
class TStrings;
}  // namespace fw

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

// A command's text from the shell (Type: GCS_VERBW, GCS_HELPTEXTW); empty when
// the shell names none or Id lies outside the shell's range.
std::wstring ShellCommandString(IContextMenu* Menu, UINT Id, UINT Type, UINT MaxChars = MAX_PATH);
// Invokes a command id with the platform's full invoke record; Directory goes
// along when it is not empty and shorter than MAX_PATH.
HRESULT InvokeShellCommand(IContextMenu* Menu, UINT Id, HWND Owner, const std::wstring& Directory);

// A new item owned by Owner with Source's caption, shortcut, handler, break,
// states, group, help context, tag, hint and image index, and its picture when
// WithBitmap (not its children).
fw::TMenuItem* CopyMenuItem(fw::TComponent* Owner, const fw::TMenuItem* Source, bool WithBitmap = true);
// Appends copies of Source's children (recursively) to Dest. The copy of Marked,
// when met, is returned.
fw::TMenuItem* CopyMenuItems(fw::TComponent* Owner, const fw::TMenuItem* Source, fw::TMenuItem* Dest,
                             const fw::TMenuItem* Marked = nullptr, bool WithBitmaps = true);
// Whether a copied menu takes its owner's pictures and image list: not where
// the system draws menus with visual styles (from Vista on, themes active).
bool MenuCopiesTakeImages();
// Whether menus are drawn with visual styles, in place of the system's answer
// (nullptr: the system's). For tests: Wine turns themes off only for good.
inline std::function<bool()> MenuVisualStylesHook;
// The item below Items (any depth) that carries Command; nullptr for none.
fw::TMenuItem* FindMenuItem(fw::TMenuItem* Items, UINT Command);
// Clicks the item below Items that carries Command; false when none does.
bool FindAndClickCommand(fw::TMenuItem* Items, UINT Command);
// Whether the Shift key is down now.
bool IsShiftPressed();

// The class keys of the shell's default folder menu for Paths, in sorted order
// without duplicates: "*", "AllFilesystemObjects", each extension (never an
// empty one), and "Directory" and "Folder" when a path is a folder. Each name
// is replaced by its program id's key when that opens. At most 16 keys, opened
// read-only; the caller owns them.
std::vector<fw::RegKey> DefaultMenuClassKeys(const fw::TStrings& Paths);
// The class names those keys are looked up by, sorted.
std::vector<std::wstring> DefaultMenuClassNames(const fw::TStrings& Paths);

}  // namespace shell
