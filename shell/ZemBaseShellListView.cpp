#include "shell/ZemBaseShellListView.h"

#include <algorithm>
#include <utility>

#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemFileListItem.h"
#include "shell/ZemSelectionStateImageList.h"

namespace shell {

namespace {

// Posted to the view to make ready the rows the window asked images of.
constexpr UINT WM_UPDATEROWS = WM_APP + 0x147;
constexpr int DefaultThumbnailSize = 96;

// Whether a 32-bit picture carries its own transparency (any alpha byte set).
bool HasAlpha(fw::TBitmap& Picture) {
    if (Picture.PixelFormat() != fw::pf32bit) return false;
    const std::vector<DWORD> pixels = fw::ReadPixels32(Picture.Handle()).Values;
    return std::any_of(pixels.begin(), pixels.end(), [](DWORD p) { return (p >> 24) != 0; });
}

// Picture on an opaque window-coloured bitmap of Width x Height, from its top
// left (cut where larger): the frame drawn on it afterwards stays visible
// whatever transparency the picture had.
std::unique_ptr<fw::TBitmap> Opaque(fw::TBitmap& Picture, int Width, int Height) {
    auto result = std::make_unique<fw::TBitmap>();
    result->SetPixelFormat(fw::pf24bit);
    result->SetSize(Width, Height);
    fw::TCanvas* canvas = result->Canvas();
    canvas->Brush()->SetColor(fw::clWindow);
    canvas->FillRect(RECT{0, 0, Width, Height});
    const bool alpha = HasAlpha(Picture);
    const int w = std::min(Width, Picture.Width()), h = std::min(Height, Picture.Height());
    HDC source = Picture.Canvas()->Handle();
    if (alpha) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(canvas->Handle(), 0, 0, w, h, source, 0, 0, w, h, blend);
    } else {
        BitBlt(canvas->Handle(), 0, 0, w, h, source, 0, 0, SRCCOPY);
    }
    Picture.Dormant();
    return result;
}

}  // namespace

TZemBaseShellListView::TZemBaseShellListView(fw::TComponent* AOwner) : fw::TCustomListView(AOwner) {
    largeImages_ = new TZemSystemImageList(this);
    largeImages_->SetSize(si_large);
    smallImages_ = new TZemSystemImageList(this);
    smallImages_->SetSize(si_small);
    thumbnailImages_ = new fw::TImageList(this, DefaultThumbnailSize, DefaultThumbnailSize);
    thumbnailImages_->SetMasked(false);
    TZemSystemImageList::MakeAlphaImageList(thumbnailImages_);
    SetLargeImages(largeImages_);
    SetSmallImages(smallImages_);
    SetAutoArrange(true);
}

TZemBaseShellListView::~TZemBaseShellListView() {
    if (shellLink_) shellLink_->RemoveControl(this);
    shellLink_ = nullptr;
    if (GlobalWorkerPool) GlobalWorkerPool->CancelWorkItems(nullptr, ThumbnailTag(), nullptr);
}

void TZemBaseShellListView::SetShellLink(TZemShellLink* Value) {
    if (Value == shellLink_) return;
    if (shellLink_) shellLink_->RemoveControl(this);
    shellLink_ = Value;
    if (shellLink_) shellLink_->AddControl(this);
}

void TZemBaseShellListView::SetUseSystemFont(bool Value) {
    useSystemFont_ = Value;
    if (UseSystemFont()) SetIconTitleFont(Font());
}

void TZemBaseShellListView::SetUseSystemStyles(bool Value) {
    useSystemStyles_ = Value;
    if (Value && HandleAllocated()) ApplyExplorerListStyle(this);
}

void TZemBaseShellListView::SetAutoSizeColumn(int Value) {
    autoSizeColumn_ = Value;
    ApplyAutoSizeColumn();
}

void TZemBaseShellListView::ApplyAutoSizeColumn() {
    if (autoSizeColumn_ < 0 || autoSizeColumn_ >= Columns()->Count()) return;
    int total = 0;
    for (int i = 0; i < Columns()->Count(); ++i) total += Columns()->Items(i)->Width();
    fw::TListColumn* column = Columns()->Items(autoSizeColumn_);
    column->SetWidth(std::max(80, column->Width() + ClientWidth() - total));
}

// ---- Check boxes -----------------------------------------------------------------------

void TZemBaseShellListView::SetCheckboxes(bool Value) {
    // Check marks are the shell link's selection: without a link there are none.
    checkboxes_ = Value && (shellLink_ || HasState(fw::csLoading));
    if (checkboxes_ && !StateImages()) {
        stateImages_ = new TZemSelectionStateImageList(this);
        SetStateImages(stateImages_);
    } else if (!checkboxes_ && stateImages_) {
        SetStateImages(nullptr);
        delete std::exchange(stateImages_, nullptr);
    }
    if (HandleAllocated()) RefreshImages();
}

void TZemBaseShellListView::ToggleCheck(fw::TListItem* Item) {
    auto* row = dynamic_cast<TZemCheckableListItem*>(Item);
    if (!row) return;
    const TZemSelectionState state = row->GetCheckState();
    if (state != ssChecked && state != ssUnChecked && state != ssGrayed) return;
    const fw::TCursor old = fw::GlobalCursor();
    fw::SetGlobalCursor(fw::crHourGlass);
    try {
        row->SetChecked(!row->IsChecked());
    } catch (...) {
        fw::SetGlobalCursor(old);
        throw;
    }
    fw::SetGlobalCursor(old);
}

std::vector<fw::TListItem*> TZemBaseShellListView::SelectedRows() const {
    std::vector<fw::TListItem*> rows;
    if (!HandleAllocated()) return rows;
    const HWND wnd = const_cast<TZemBaseShellListView*>(this)->Handle();
    for (int i = ListView_GetNextItem(wnd, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(wnd, i, LVNI_SELECTED))
        if (fw::TListItem* row = Items()->Find(i)) rows.push_back(row);
    return rows;
}

bool TZemBaseShellListView::HitsCheckBox(fw::TListItem* Item, int X, int Y) {
    const RECT icon = Item->DisplayRect(fw::drIcon);
    int edge = icon.left;
    int bottom = icon.bottom;
    const int stateWidth = StateImages() ? StateImages()->Width() : 16;
    const int stateHeight = StateImages() ? StateImages()->Height() : 16;
    // Where the box stands beside the icon depends on the common controls.
    const DWORD version = CommonControlsVersion();
    if (ViewStyle() == fw::vsIcon) {
        if (version >= 0x0006000A) {
            edge += 40 + stateWidth;
            bottom -= (thumbnails_ ? ThumbnailHeight() : largeImages_->Height()) / 2;
        } else if (version >= 0x00060000) {
            edge += 20 + stateWidth;
        } else {
            edge += 6;
        }
    } else if (ViewStyle() == fw::vsSmallIcon && version >= 0x0006000A) {
        edge += 6 + stateWidth;
    }
    return X < edge && Y >= bottom - stateHeight;
}

void TZemBaseShellListView::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    fw::TCustomListView::MouseDown(Button, Shift, X, Y);
    if (!shellLink_ || !checkboxes_ || Button != fw::mbLeft || (Shift & fw::ssDouble)) return;
    fw::TListItem* item = GetItemAt(X, Y);
    if (!item || !HitsCheckBox(item, X, Y)) return;
    if (SelCount() > 1 && item->Selected()) {
        for (fw::TListItem* row : SelectedRows()) ToggleCheck(row);
    } else {
        ToggleCheck(item);
    }
}

void TZemBaseShellListView::KeyUp(WORD& Key, fw::TShiftState Shift) {
    fw::TCustomListView::KeyUp(Key, Shift);
    if (Key != VK_SPACE || !checkboxes_) return;
    for (fw::TListItem* row : SelectedRows()) {
        if (shellLink_) {
            ToggleCheck(row);
        } else if (auto* checkable = dynamic_cast<TZemCheckableListItem*>(row)) {
            checkable->TZemCheckableListItem::SetChecked(!checkable->IsChecked());
        }
    }
}

// ---- Icons and thumbnails --------------------------------------------------------------

void TZemBaseShellListView::SetThumbnails(bool Value) {
    if (Value == thumbnails_) return;
    thumbnails_ = Value;
    // The list view's own style setter: a descendant's would switch thumbnails off.
    if (Value) fw::TCustomListView::SetViewStyle(fw::vsIcon);
    SetLargeImages(Value ? static_cast<fw::TCustomImageList*>(thumbnailImages_) : largeImages_);
    RefreshImages();
}

void TZemBaseShellListView::SetShowExtraLargeIcons(bool Value) {
    largeImages_->SetSize(Value ? si_extralarge : si_large);
    if (Value) SetViewStyle(fw::vsIcon);
    if (!thumbnails_) SetLargeImages(largeImages_);
}

void TZemBaseShellListView::SetShowJumboIcons(bool Value) {
    largeImages_->SetSize(Value ? si_jumbo : si_large);
    if (Value) SetViewStyle(fw::vsIcon);
    if (!thumbnails_) SetLargeImages(largeImages_);
}

void TZemBaseShellListView::SetThumbnailBorderColor(fw::TColor Value) {
    thumbnailBorderColor_ = Value;
    ThumbnailSizeChanged();
}

void TZemBaseShellListView::SetThumbnailWidth(int Value) {
    thumbnailImages_->SetSize(Value, ThumbnailHeight());
    ThumbnailSizeChanged();
}

void TZemBaseShellListView::SetThumbnailHeight(int Value) {
    thumbnailImages_->SetSize(ThumbnailWidth(), Value);
    ThumbnailSizeChanged();
}

void TZemBaseShellListView::ThumbnailSizeChanged() {
    if (thumbnailBusy_) return;
    ClearThumbnails();
    if (thumbnails_) SetLargeImages(thumbnailImages_);
    ResetImageIndexes();
    Arrange();
}

void TZemBaseShellListView::ResetImageIndexes() {
    // One repaint for all rows, not one per row.
    Items()->BeginUpdate();
    for (int i = 0; i < Items()->Count(); ++i) Items()->Item(i)->SetImageIndex(-1);
    Items()->EndUpdate();
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TZemBaseShellListView::ClearThumbnails() {
    // Pictures on their way are for images that are gone.
    if (GlobalWorkerPool) GlobalWorkerPool->CancelWorkItems(nullptr, ThumbnailTag(), nullptr);
    thumbnailImages_->Clear();
    thumbnailOwners_.clear();
    freeThumbnails_.clear();
    nextThumbnail_ = 0;
}

void TZemBaseShellListView::FrameBitmap(fw::TBitmap& Bitmap) const {
    fw::TCanvas* canvas = Bitmap.Canvas();
    canvas->Brush()->SetStyle(fw::bsClear);
    canvas->Pen()->SetColor(thumbnailBorderColor_);
    canvas->Rectangle(0, 0, Bitmap.Width(), Bitmap.Height());
    Bitmap.Dormant();
}

int TZemBaseShellListView::PlaceThumbnail(fw::TListItem* Row, int IconIndex) {
    int index = Row->ImageIndex();
    const bool own = index >= 0 && size_t(index) < thumbnailOwners_.size() && thumbnailOwners_[size_t(index)] == Row;
    if (!own) {
        index = -1;
        if (!freeThumbnails_.empty()) {
            index = freeThumbnails_.back();
            freeThumbnails_.pop_back();
        } else if (thumbnailOwners_.size() >= size_t(MaxThumbnails)) {
            // Full: the longest-held image changes hands; its row asks again when shown.
            index = int(nextThumbnail_);
            nextThumbnail_ = (nextThumbnail_ + 1) % thumbnailOwners_.size();
            if (fw::TListItem* previous = thumbnailOwners_[size_t(index)]) {
                if (GlobalWorkerPool)
                    GlobalWorkerPool->CancelWorkItems(previous, ThumbnailTag(),
                                                      TWorkItemClass::Of<TThumbnailWorkItem>());
                previous->SetImageIndex(-1);
            }
        }
    }
    std::unique_ptr<fw::TBitmap> icon(TZemSystemImageList::MakeIconBitmap(
        largeImages_, ThumbnailWidth(), ThumbnailHeight(), fw::clWindow, fw::clWindow, IconIndex));
    std::unique_ptr<fw::TBitmap> placeholder = Opaque(*icon, ThumbnailWidth(), ThumbnailHeight());
    FrameBitmap(*placeholder);
    const int at = index >= 0 ? index : thumbnailImages_->Count();
    if (OnThumbnailUpdated) OnThumbnailUpdated(this, at, placeholder.get());
    if (index >= 0) {
        thumbnailImages_->Replace(index, placeholder.get(), nullptr);
        thumbnailOwners_[size_t(index)] = Row;
    } else {
        index = thumbnailImages_->Add(placeholder.get(), nullptr);
        if (index < 0) return -1;
        if (size_t(index) >= thumbnailOwners_.size()) thumbnailOwners_.resize(size_t(index) + 1);
        thumbnailOwners_[size_t(index)] = Row;
    }
    Row->SetImageIndex(index);
    return index;
}

void TZemBaseShellListView::ThumbnailReady(std::unique_ptr<fw::TBitmap> Bitmap, int Index, void* Owner) {
    if (!Bitmap || Index < 0 || Index >= thumbnailImages_->Count()) return;
    // A picture for an image that another row holds by now is dropped.
    fw::TListItem* row = ItemOfOwner(Owner);
    if (!row || size_t(Index) >= thumbnailOwners_.size() || thumbnailOwners_[size_t(Index)] != row) return;
    thumbnailBusy_ = true;
    try {
        std::unique_ptr<fw::TBitmap> picture = Opaque(*Bitmap, ThumbnailWidth(), ThumbnailHeight());
        Bitmap.reset();
        FrameBitmap(*picture);
        if (OnThumbnailUpdated) OnThumbnailUpdated(this, Index, picture.get());
        thumbnailImages_->Replace(Index, picture.get(), nullptr);
    } catch (...) {
        thumbnailBusy_ = false;
        throw;
    }
    thumbnailBusy_ = false;
    row->Update();
}

// ---- Window and rows -------------------------------------------------------------------

void TZemBaseShellListView::CreateWnd() {
    fw::TCustomListView::CreateWnd();
    // A message posted to the window that went is lost: post again when asked.
    updatePosted_ = false;
    if (useSystemStyles_) ApplyExplorerListStyle(this);
}

void TZemBaseShellListView::Loaded() {
    fw::TCustomListView::Loaded();
    if (UseSystemFont()) SetIconTitleFont(Font());
    if (!thumbnails_) SetLargeImages(largeImages_);
    if (useSystemStyles_ && HandleAllocated()) ApplyExplorerListStyle(this);
}

fw::TCustomImageList* TZemBaseShellListView::GetDragImages() {
    return thumbnails_ ? nullptr : fw::TCustomListView::GetDragImages();
}

void TZemBaseShellListView::Resize() {
    fw::TCustomListView::Resize();
    ApplyAutoSizeColumn();
}

void TZemBaseShellListView::Delete(fw::TListItem* Item) {
    if (!pendingRows_.empty()) pendingRows_.erase(Item);
    ReleaseThumbnail(Item);
    fw::TCustomListView::Delete(Item);
}

void TZemBaseShellListView::ReleaseThumbnail(fw::TListItem* Row) {
    const int index = Row->ImageIndex();
    if (index < 0 || size_t(index) >= thumbnailOwners_.size() || thumbnailOwners_[size_t(index)] != Row) return;
    thumbnailOwners_[size_t(index)] = nullptr;
    freeThumbnails_.push_back(index);
    if (GlobalWorkerPool)
        GlobalWorkerPool->CancelWorkItems(Row, ThumbnailTag(), TWorkItemClass::Of<TThumbnailWorkItem>());
    Row->SetImageIndex(-1);
}

void TZemBaseShellListView::UpdateItem(fw::TListItem* Item) {
    if (auto* item = dynamic_cast<TZemFileListItem*>(Item)) item->SetUpdated(true);
}

void TZemBaseShellListView::GetImageIndex(fw::TListItem* Item) {
    // A row gets its icon, texts and check state the first time it is shown;
    // the work is done after the paint, from a posted message.
    if (!IsItemUpdated(Item) || Item->ImageIndex() < 0) {
        pendingRows_.insert(Item);
        if (!updatePosted_ && HandleAllocated()) updatePosted_ = PostMessageW(Handle(), WM_UPDATEROWS, 0, 0) != FALSE;
    }
    fw::TCustomListView::GetImageIndex(Item);
}

void TZemBaseShellListView::UpdatePendingRows() {
    updatePosted_ = false;
    // A row deleted meanwhile has left the set (Delete).
    while (!pendingRows_.empty()) {
        fw::TListItem* row = *pendingRows_.begin();
        pendingRows_.erase(pendingRows_.begin());
        if (!IsItemUpdated(row) || row->ImageIndex() < 0) UpdateItem(row);
    }
}

void TZemBaseShellListView::WndProc(fw::TMessage& Message) {
    if (Message.Msg == WM_UPDATEROWS) {
        UpdatePendingRows();
        return;
    }
    fw::TCustomListView::WndProc(Message);
}

fw::TListItem* TZemBaseShellListView::ItemOfOwner(void* Owner) const {
    // A row cancels its work items when it goes, so a delivered owner is a live row.
    auto* item = static_cast<fw::TListItem*>(Owner);
    return item && item->ListView() == this && item->Index() >= 0 ? item : nullptr;
}

void TZemBaseShellListView::IconLoaded(int IconIndex, uint8_t Kind, void* Owner) {
    fw::TListItem* item = ItemOfOwner(Owner);
    if (!item || !HandleAllocated()) return;
    if (Kind == 1) {
        item->SetOverlayIndex(IconIndex);
        return;
    }
    if (Kind != 0 || thumbnails_) return;
    if (IconIndex != -1 && IconIndex != item->ImageIndex()) item->SetImageIndex(IconIndex);
}

void TZemBaseShellListView::CheckBoxStateLoaded(TCheckBoxWorkItem* Item) {
    if (auto* row = dynamic_cast<TZemCheckableListItem*>(ItemOfOwner(Item->Owner()))) row->SetCheckState(Item->State());
}

}  // namespace shell
