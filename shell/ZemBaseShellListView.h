#pragma once
// TZemBaseShellListView: the list view under the file list. It holds the system
// image lists, lets a row make its icon and texts the first time the window asks
// for the row's image (UpdateItem), receives the results of the icon and
// check-box work items of the shared worker pool, keeps the check marks of a
// shell link's selection list, and stretches one column to fill the client area.
// A control (new with an owner, placed with SetParent); it registers with its
// shell link and leaves it when it goes. Work items it queues are owned by its
// rows, which cancel them when they are deleted.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/ListView.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemShellLink.h"
#include "shell/ZemSystemImageList.h"
#include "shell/ZemWorkItems.h"

namespace shell {

using TOnCheckStateChanged =
    std::function<void(fw::TObject* Sender, int ItemIndex, const std::wstring& Path, TZemSelectionState CheckState)>;

class TZemBaseShellListView : public fw::TCustomListView,
                              public IIconViewer,
                              public ICheckBoxViewer,
                              public IZemShellControl {
public:
    explicit TZemBaseShellListView(fw::TComponent* AOwner);
    ~TZemBaseShellListView() override;

    TOnCheckStateChanged OnCheckStateChanged;

    bool UseSystemFont() const { return useSystemFont_ && !ParentFont(); }
    void SetUseSystemFont(bool Value);
    bool UseSystemStyles() const { return useSystemStyles_; }
    void SetUseSystemStyles(bool Value);
    // The column stretched to fill the client area; -1 for none.
    int AutoSizeColumn() const { return autoSizeColumn_; }
    void SetAutoSizeColumn(int Value);
    void ApplyAutoSizeColumn();
    // Check marks need a shell link: without one the flag stays off.
    bool Checkboxes() const { return checkboxes_; }
    virtual void SetCheckboxes(bool Value);
    bool Thumbnails() const { return thumbnails_; }
    virtual void SetThumbnails(bool Value);
    fw::TColor ThumbnailBorderColor() const { return thumbnailBorderColor_; }
    void SetThumbnailBorderColor(fw::TColor Value) { thumbnailBorderColor_ = Value; }

    TZemShellLink* ShellLink() const { return shellLink_; }
    virtual void SetShellLink(TZemShellLink* Value);
    TZemSystemImageList* LargeSystemImages() const { return largeImages_; }
    TZemSystemImageList* SmallSystemImages() const { return smallImages_; }

    // Makes a row ready to be shown; here it only marks it updated.
    virtual void UpdateItem(fw::TListItem* Item);
    virtual void RefreshImages() {}
    virtual void RefreshItems() {}
    // Inverts the check mark of a row whose state is checked, unchecked or grayed.
    void ToggleCheck(fw::TListItem* Item);

    // Results of the work items (main thread).
    void IconLoaded(int IconIndex, uint8_t Kind, void* Owner) override;
    void CheckBoxStateLoaded(TCheckBoxWorkItem* Item) override;

    // IZemShellControl: what the linked controls tell the view.
    TZemShellLink* GetShellLink() override { return shellLink_; }
    void FolderSelected(LPCITEMIDLIST) override {}
    void ObjectSelected(LPCITEMIDLIST, LPCITEMIDLIST) override {}
    void ObjectsChanged() override { RefreshItems(); }
    void Refresh() override { RefreshImages(); }
    void SelectionChanged() override { RefreshItems(); }
    bool SelectFirst() override { return false; }

protected:
    void CreateWnd() override;
    void Resize() override;
    void GetImageIndex(fw::TListItem* Item) override;
    void KeyUp(WORD& Key, fw::TShiftState Shift) override;
    // Whether UpdateItem has run for the row.
    virtual bool IsItemUpdated(fw::TListItem* Item) = 0;
    // The row a work item's owner stands for; nullptr when it has gone.
    fw::TListItem* ItemOfOwner(void* Owner) const;
    std::wstring ClassName() const override { return L"TZemBaseShellListView"; }

private:
    TZemShellLink* shellLink_ = nullptr;
    bool useSystemFont_ = true;
    bool useSystemStyles_ = true;
    int autoSizeColumn_ = -1;
    bool checkboxes_ = false;
    bool thumbnails_ = false;
    fw::TColor thumbnailBorderColor_ = fw::TColorOf(0xC0C0C0);
    TZemSystemImageList* largeImages_;
    TZemSystemImageList* smallImages_;
};

}  // namespace shell
