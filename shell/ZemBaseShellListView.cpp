#include "shell/ZemBaseShellListView.h"

#include "framework/Forms.h"
#include "shell/PathUtils.h"
#include "shell/ZemFileListItem.h"

namespace shell {

TZemBaseShellListView::TZemBaseShellListView(fw::TComponent* AOwner) : fw::TCustomListView(AOwner) {
    largeImages_ = new TZemSystemImageList(this);
    largeImages_->SetSize(si_large);
    smallImages_ = new TZemSystemImageList(this);
    smallImages_->SetSize(si_small);
    SetLargeImages(largeImages_);
    SetSmallImages(smallImages_);
    SetAutoArrange(true);
}

TZemBaseShellListView::~TZemBaseShellListView() {
    if (shellLink_) shellLink_->RemoveControl(this);
    shellLink_ = nullptr;
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
    if (Value && HandleAllocated()) ApplyExplorerListStyle(Handle());
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

void TZemBaseShellListView::SetCheckboxes(bool Value) {
    // Check marks are the shell link's selection: without a link there are none.
    checkboxes_ = Value && shellLink_ != nullptr;
    if (HandleAllocated()) RefreshImages();
}

void TZemBaseShellListView::SetThumbnails(bool Value) {
    if (Value == thumbnails_) return;
    thumbnails_ = Value;
    if (Value) SetViewStyle(fw::vsIcon);
    RefreshImages();
}

void TZemBaseShellListView::CreateWnd() {
    fw::TCustomListView::CreateWnd();
    if (useSystemStyles_) ApplyExplorerListStyle(Handle());
}

void TZemBaseShellListView::Resize() {
    fw::TCustomListView::Resize();
    ApplyAutoSizeColumn();
}

void TZemBaseShellListView::UpdateItem(fw::TListItem* Item) {
    if (auto* item = dynamic_cast<TZemFileListItem*>(Item)) item->SetUpdated(true);
}

void TZemBaseShellListView::GetImageIndex(fw::TListItem* Item) {
    // A row gets its icon, texts and check state the first time it is shown.
    if (!IsItemUpdated(Item) || Item->ImageIndex() < 0) UpdateItem(Item);
    fw::TCustomListView::GetImageIndex(Item);
}

fw::TListItem* TZemBaseShellListView::ItemOfOwner(void* Owner) const {
    // A row cancels its work items when it goes, so a delivered owner is a live row.
    auto* item = static_cast<fw::TListItem*>(Owner);
    return item && item->ListView() == this && item->Index() >= 0 ? item : nullptr;
}

void TZemBaseShellListView::IconLoaded(int IconIndex, uint8_t Kind, void* Owner) {
    fw::TListItem* item = ItemOfOwner(Owner);
    if (!item || Kind != 0 || !HandleAllocated()) return;
    if (IconIndex != -1 && IconIndex != item->ImageIndex()) item->SetImageIndex(IconIndex);
}

void TZemBaseShellListView::CheckBoxStateLoaded(TCheckBoxWorkItem* Item) {
    if (auto* row = dynamic_cast<TZemCheckableListItem*>(ItemOfOwner(Item->Owner()))) row->SetCheckState(Item->State());
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

void TZemBaseShellListView::KeyUp(WORD& Key, fw::TShiftState Shift) {
    fw::TCustomListView::KeyUp(Key, Shift);
    if (Key != VK_SPACE || !checkboxes_) return;
    for (int i = 0; i < Items()->Count(); ++i)
        if (Items()->Item(i)->Selected()) {
            if (shellLink_) {
                ToggleCheck(Items()->Item(i));
            } else if (auto* row = dynamic_cast<TZemCheckableListItem*>(Items()->Item(i))) {
                row->TZemCheckableListItem::SetChecked(!row->IsChecked());
            }
        }
}

}  // namespace shell
