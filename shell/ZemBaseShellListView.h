#pragma once
// TZemBaseShellListView: the list view under the file list. It holds the system
// image lists and the thumbnail image list, lets a row make its icon and texts
// when the window first asks for the row's image (UpdateItem, run from a posted
// message, never inside the paint), receives the results of the icon, overlay,
// thumbnail and check-box work items of the shared worker pool, draws check
// marks of a shell link's selection list as state images, and stretches one
// column to fill the client area.
// A control (new with an owner, placed with SetParent); it registers with its
// shell link and leaves it when it goes. Work items it queues are owned by its
// rows, which cancel them when they are deleted; thumbnail items are also
// cancelled, all at once, when the thumbnail images are cleared.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "framework/ListView.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemShellLink.h"
#include "shell/ZemSystemImageList.h"
#include "shell/ZemWorkItems.h"

namespace shell {

class TZemSelectionStateImageList;

using TOnCheckStateChanged =
    std::function<void(fw::TObject* Sender, int ItemIndex, const std::wstring& Path, TZemSelectionState CheckState)>;
using TOnThumbnailUpdated = std::function<void(fw::TObject* Sender, int ImageIndex, fw::TBitmap* ThumbnailBitmap)>;

class TZemBaseShellListView : public fw::TCustomListView,
                              public IIconViewer,
                              public ICheckBoxViewer,
                              public IThumbnailViewer,
                              public IZemShellControl {
public:
    // At most this many thumbnails are held: beyond it the longest-held image is
    // taken for the next row (its row asks again when it is shown again).
    static constexpr int MaxThumbnails = 1024;

    explicit TZemBaseShellListView(fw::TComponent* AOwner);
    ~TZemBaseShellListView() override;

    TOnCheckStateChanged OnCheckStateChanged;
    TOnThumbnailUpdated OnThumbnailUpdated;

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
    // Thumbnails: the icon view with one picture per row, framed placeholders
    // until the pictures arrive.
    bool Thumbnails() const { return thumbnails_; }
    virtual void SetThumbnails(bool Value);
    fw::TColor ThumbnailBorderColor() const { return thumbnailBorderColor_; }
    void SetThumbnailBorderColor(fw::TColor Value);
    int ThumbnailWidth() const { return thumbnailImages_->Width(); }
    void SetThumbnailWidth(int Value);
    int ThumbnailHeight() const { return thumbnailImages_->Height(); }
    void SetThumbnailHeight(int Value);
    fw::TImageList* ThumbnailImages() const { return thumbnailImages_; }
    // The icon view with the shell's extra-large (48) or jumbo (256) icons.
    bool ShowExtraLargeIcons() const { return largeImages_->Size() == si_extralarge; }
    void SetShowExtraLargeIcons(bool Value);
    bool ShowJumboIcons() const { return largeImages_->Size() == si_jumbo; }
    void SetShowJumboIcons(bool Value);

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
    // Empties the thumbnail images and cancels the thumbnail work still pending.
    void ClearThumbnails();
    // Row gives up the thumbnail image it holds (its picture on the way is
    // dropped) and asks for an image again when it is next shown.
    void ReleaseThumbnail(fw::TListItem* Row);

    // Results of the work items (main thread).
    void IconLoaded(int IconIndex, uint8_t Kind, void* Owner) override;
    void CheckBoxStateLoaded(TCheckBoxWorkItem* Item) override;
    // Puts a thumbnail (framed, resized to the thumbnail size) in place of image
    // Index, when that image still belongs to the row.
    void ThumbnailReady(std::unique_ptr<fw::TBitmap> Bitmap, int Index, void* Owner) override;

    // IZemShellControl: what the linked controls tell the view.
    TZemShellLink* GetShellLink() override { return shellLink_; }
    void FolderSelected(LPCITEMIDLIST) override {}
    void ObjectSelected(LPCITEMIDLIST, LPCITEMIDLIST) override {}
    void ObjectsChanged() override { RefreshItems(); }
    void Refresh() override { RefreshImages(); }
    void SelectionChanged() override { RefreshItems(); }
    bool SelectFirst() override { return false; }

    void WndProc(fw::TMessage& Message) override;
    // No drag picture while thumbnails are shown.
    fw::TCustomImageList* GetDragImages() override;

protected:
    // After set-up: the icon-title font (UseSystemFont), the large icons again
    // and the explorer list style.
    void Loaded() override;
    void CreateWnd() override;
    void Resize() override;
    void Delete(fw::TListItem* Item) override;
    void GetImageIndex(fw::TListItem* Item) override;
    void KeyUp(WORD& Key, fw::TShiftState Shift) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    // Whether UpdateItem has run for the row.
    virtual bool IsItemUpdated(fw::TListItem* Item) = 0;
    // The row a work item's owner stands for; nullptr when it has gone.
    fw::TListItem* ItemOfOwner(void* Owner) const;
    // Whether a click at X, Y hits the check box of Item.
    bool HitsCheckBox(fw::TListItem* Item, int X, int Y);
    // An image of the thumbnail list for Row: the one it holds, a new one, or the
    // longest-held one of another row; filled with a framed placeholder showing
    // the icon IconIndex. -1 when the list cannot take one.
    int PlaceThumbnail(fw::TListItem* Row, int IconIndex);
    // The selected rows, in row order.
    std::vector<fw::TListItem*> SelectedRows() const;
    // Every row's image index -1 (the rows ask again when shown), one repaint.
    void ResetImageIndexes();
    // The tag of this view's thumbnail work items.
    intptr_t ThumbnailTag() const { return reinterpret_cast<intptr_t>(this); }
    std::wstring ClassName() const override { return L"TZemBaseShellListView"; }

private:
    void ThumbnailSizeChanged();
    void FrameBitmap(fw::TBitmap& Bitmap) const;
    void UpdatePendingRows();

    TZemShellLink* shellLink_ = nullptr;
    bool useSystemFont_ = true;
    bool useSystemStyles_ = true;
    int autoSizeColumn_ = -1;
    bool checkboxes_ = false;
    bool thumbnails_ = false;
    bool thumbnailBusy_ = false;
    fw::TColor thumbnailBorderColor_ = fw::TColorOf(0xC0C0C0);
    TZemSystemImageList* largeImages_;
    TZemSystemImageList* smallImages_;
    fw::TImageList* thumbnailImages_;
    TZemSelectionStateImageList* stateImages_ = nullptr;
    // Which row each thumbnail image belongs to (nullptr: none), and the next
    // image to take once the list is full.
    std::vector<fw::TListItem*> thumbnailOwners_;
    std::vector<int> freeThumbnails_;  // images of deleted rows
    size_t nextThumbnail_ = 0;
    // Rows the window asked images of before they were made ready.
    std::unordered_set<fw::TListItem*> pendingRows_;
    bool updatePosted_ = false;
};

}  // namespace shell
