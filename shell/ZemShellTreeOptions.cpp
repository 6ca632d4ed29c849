// The shell tree's options: each change that alters what the tree shows refreshes it.
#include "shell/Pathfinch.h"
#include "shell/PathUtils.h"
#include "shell/ZemFolderWatch.h"
#include "shell/ZemShellTree.h"

namespace shell {

void TZemShellTree::SetOption(TOption Bit, bool On) {
    const uint16_t options = On ? uint16_t(options_ | Bit) : uint16_t(options_ & ~Bit);
    if (options == options_) return;
    options_ = options;
    browser_->ShowErrorMessages = ShowErrorMessages();
    ApplyWatchFilter();
    Refresh();
}

bool TZemShellTree::FileSystemOnly() const {
    return browser_->FileSystemOnly;
}

void TZemShellTree::SetFileSystemOnly(bool Value) {
    if (Value == browser_->FileSystemOnly) return;
    browser_->FileSystemOnly = Value;
    Refresh();
}

std::wstring TZemShellTree::Filter() const {
    return browser_->Filter();
}

void TZemShellTree::SetFilter(const std::wstring& Value) {
    if (Value == browser_->Filter()) return;
    browser_->SetFilter(Value);
    Refresh();
}

void TZemShellTree::SetAutomaticRefresh(bool Value) {
    automaticRefresh_ = Value;
    if (watch_) watch_->SetWatchEnabled(Value);
}

void TZemShellTree::SetShowOverlayIcons(bool Value) {
    if (Value == showOverlayIcons_) return;
    showOverlayIcons_ = Value;
    Refresh();
}

void TZemShellTree::SetUseSystemFont(bool Value) {
    useSystemFont_ = Value;
    if (Value) SetIconTitleFont(Font());
}

void TZemShellTree::SetUseSystemStyles(bool Value) {
    useSystemStyles_ = Value;
    if (Value && !HasState(fw::csLoading) && HandleAllocated()) ApplyExplorerTreeStyle(this);
}

}  // namespace shell
