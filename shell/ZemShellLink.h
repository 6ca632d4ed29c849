#pragma once
// A TZemShellLink ties shell controls together: the tree and the file list
// register with it, and when one selects, refreshes or changes something, the link
// tells the others. It owns the check-state model the controls' check boxes share
// (SelectionList). A component: new TZemShellLink(owner); the owner frees it.
// Controls register through their ShellLink property and unregister when it is
// cleared or they are destroyed; the link clears every control's link as it goes.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Dialogs.h"

namespace shell {

class TZemShellLink;
class TZemSelectionList;

// A component with an Enabled switch.
class TZemBaseComponent : public fw::TComponent {
public:
    explicit TZemBaseComponent(fw::TComponent* AOwner) : fw::TComponent(AOwner) {}
    virtual bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool Value) { enabled_ = Value; }

protected:
    std::wstring ClassName() const override { return L"TZemBaseComponent"; }

private:
    bool enabled_ = true;
};

// The base of the library's dialog components; it adds nothing to the framework's.
class TZemBaseDialog : public fw::TCommonDialog {
public:
    using fw::TCommonDialog::TCommonDialog;

protected:
    std::wstring ClassName() const override { return L"TZemBaseDialog"; }
};

// What a linked control answers (the tree and the file list implement it).
class IZemShellControl {
public:
    virtual ~IZemShellControl() = default;
    virtual void SetShellLink(TZemShellLink* Link) = 0;
    virtual TZemShellLink* GetShellLink() = 0;
    virtual void FolderSelected(LPCITEMIDLIST IDList) = 0;
    virtual void ObjectSelected(LPCITEMIDLIST IDList, LPCITEMIDLIST Data) = 0;
    virtual void ObjectsChanged() = 0;
    virtual void Refresh() = 0;
    virtual void SelectionChanged() = 0;
    virtual bool SelectFirst() = 0;
};

// The controls registered with a link, in the order they registered.
using TZemShellControlList = std::vector<IZemShellControl*>;

class TZemShellLink : public TZemBaseComponent {
public:
    explicit TZemShellLink(fw::TComponent* AOwner);
    ~TZemShellLink() override;

    // Registers a control once.
    void AddControl(IZemShellControl* Control);
    void RemoveControl(IZemShellControl* Control);
    int ControlCount() const { return int(controls_.size()); }
    IZemShellControl* Controls(int Index) const { return controls_.at(size_t(Index)); }

    // Broadcasts: nothing while the link is disabled; the sender is skipped. The
    // two selection broadcasts disable the link while the others react (so their
    // reactions do not echo), enable it again in any case, and raise OnChange.
    void NotifyFolderSelected(IZemShellControl* Sender, LPCITEMIDLIST IDList);
    void NotifyObjectSelected(IZemShellControl* Sender, LPCITEMIDLIST IDList, LPCITEMIDLIST Data);
    void NotifyObjectsChanged(IZemShellControl* Sender);
    void NotifyRefresh(IZemShellControl* Sender = nullptr);
    void NotifySelectionChanged(IZemShellControl* Sender = nullptr);

    // The shared check-state model; owned by the link.
    TZemSelectionList* SelectionList() const { return selectionList_; }
    // Whether the tree's last reported selection lay below its first level.
    bool ReportedSelection() const { return reportedSelection_; }
    void SetReportedSelection(bool Value) { reportedSelection_ = Value; }
    std::wstring Version() const;
    void SetVersion(const std::wstring&) {}

    fw::TNotifyEvent OnChange;

protected:
    std::wstring ClassName() const override { return L"TZemShellLink"; }

private:
    template <class F>
    void Broadcast(IZemShellControl* Sender, F&& Call);
    template <class F>
    void SelectionBroadcast(IZemShellControl* Sender, F&& Call);

    TZemShellControlList controls_;
    TZemSelectionList* selectionList_ = nullptr;
    bool reportedSelection_ = true;
};

}  // namespace shell
