#include "shell/ZemShellLink.h"

#include <algorithm>

#include "shell/ZemSelectionList.h"

namespace shell {

TZemShellLink::TZemShellLink(fw::TComponent* AOwner) : TZemBaseComponent(AOwner) {
    selectionList_ = new TZemSelectionList(this);
}

TZemShellLink::~TZemShellLink() {
    // Each control drops its link (and, through RemoveControl, its entry).
    for (auto i = controls_.size(); i-- > 0;) {
        if (i >= controls_.size()) continue;
        IZemShellControl* control = controls_[i];
        try {
            control->SetShellLink(nullptr);
        } catch (...) {}
    }
    controls_.clear();
    delete selectionList_;
    selectionList_ = nullptr;
}

void TZemShellLink::AddControl(IZemShellControl* Control) {
    if (Control && std::find(controls_.begin(), controls_.end(), Control) == controls_.end())
        controls_.push_back(Control);
}

void TZemShellLink::RemoveControl(IZemShellControl* Control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), Control), controls_.end());
}

std::wstring TZemShellLink::Version() const {
    return ClassName() + L" V7.2.0.544";
}

template <class F>
void TZemShellLink::Broadcast(IZemShellControl* Sender, F&& Call) {
    if (!Enabled()) return;
    // A copy: a control may register or unregister while it reacts.
    const TZemShellControlList controls = controls_;
    for (IZemShellControl* control : controls)
        if (control != Sender && std::find(controls_.begin(), controls_.end(), control) != controls_.end())
            Call(control);
}

template <class F>
void TZemShellLink::SelectionBroadcast(IZemShellControl* Sender, F&& Call) {
    if (!Enabled()) return;
    SetEnabled(false);
    try {
        const TZemShellControlList controls = controls_;
        for (IZemShellControl* control : controls)
            if (control != Sender && std::find(controls_.begin(), controls_.end(), control) != controls_.end())
                Call(control);
    } catch (...) {
        // A failing control must not leave the link switched off.
        SetEnabled(true);
        throw;
    }
    SetEnabled(true);
    if (OnChange) OnChange(this);
}

void TZemShellLink::NotifyFolderSelected(IZemShellControl* Sender, LPCITEMIDLIST IDList) {
    SelectionBroadcast(Sender, [&](IZemShellControl* c) { c->FolderSelected(IDList); });
}

void TZemShellLink::NotifyObjectSelected(IZemShellControl* Sender, LPCITEMIDLIST IDList, LPCITEMIDLIST Data) {
    SelectionBroadcast(Sender, [&](IZemShellControl* c) { c->ObjectSelected(IDList, Data); });
}

void TZemShellLink::NotifyObjectsChanged(IZemShellControl* Sender) {
    Broadcast(Sender, [](IZemShellControl* c) { c->ObjectsChanged(); });
}

void TZemShellLink::NotifyRefresh(IZemShellControl* Sender) {
    Broadcast(Sender, [](IZemShellControl* c) { c->Refresh(); });
}

void TZemShellLink::NotifySelectionChanged(IZemShellControl* Sender) {
    Broadcast(Sender, [](IZemShellControl* c) { c->SelectionChanged(); });
}

}  // namespace shell
