#pragma once
// TListView: a list view over the system's SysListView32 class, always in
// owner-data mode: the rows are TListItem objects held by the control's
// TListItems, and the window asks for a row's text and images only when it shows
// the row (LVN_GETDISPINFO). Adding a row therefore sends no window message; the
// window learns the new row count when an update bracket of the items ends (or at
// once outside one). Selection and focus are the window's own.
// Created with an owner and placed with SetParent. The control owns its items and
// columns; an item belongs to its TListItems, which frees it when it is deleted.
// Items are made through CreateListItem (and OnCreateItemClass), so descendants
// hold their own item classes. An item class may fill its texts lazily: the
// Caption and SubItems getters call the item's NeedTexts first.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/ImageList.h"

namespace fw {

enum TViewStyle {
    vsIcon,
    vsSmallIcon,
    vsList,
    vsReport
};
enum TItemChange {
    ctText,
    ctImage,
    ctState
};
enum TCustomDrawStage {
    cdPrePaint,
    cdPostPaint,
    cdPreErase,
    cdPostErase
};
// What a custom draw is about: the whole control, a row, or a row's sub-item.
enum TCustomDrawTarget {
    dtControl,
    dtItem,
    dtSubItem
};
enum TDisplayCode {
    drBounds,
    drIcon,
    drLabel,
    drSelectBounds
};

class TCustomListView;
class TListItems;
class TListColumns;

// The texts of a row's columns after the first, in column order.
class TListSubItems {
public:
    int Count() const { return int(items_.size()); }
    const std::wstring& Strings(int Index) const { return items_.at(size_t(Index)); }
    const std::wstring& operator[](int Index) const { return Strings(Index); }
    void SetStrings(int Index, const std::wstring& Value) { items_.at(size_t(Index)) = Value; }
    int Add(const std::wstring& S) {
        items_.push_back(S);
        return Count() - 1;
    }
    void Insert(int Index, const std::wstring& S) { items_.insert(items_.begin() + Index, S); }
    void Delete(int Index) { items_.erase(items_.begin() + Index); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::wstring> items_;
};

class TListItem : public TObject {
public:
    explicit TListItem(TListItems* AOwner);
    ~TListItem() override;

    TListItems* Owner() const { return owner_; }
    TCustomListView* ListView() const;
    // The row's position; -1 once it has left its list.
    int Index() const { return index_; }

    const std::wstring& Caption();
    void SetCaption(const std::wstring& Value);
    TListSubItems& SubItems();
    // Application data; not owned.
    void* Data = nullptr;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    // The state image; -1 for none.
    int StateIndex() const { return stateIndex_; }
    void SetStateIndex(int Value);
    // The overlay image, numbered from 0 as the image list's overlays; -1 for none.
    int OverlayIndex() const { return overlayIndex_; }
    void SetOverlayIndex(int Value);
    bool Cut() const { return cut_; }
    void SetCut(bool Value);
    bool Selected() const;
    void SetSelected(bool Value);
    bool Focused() const;
    void SetFocused(bool Value);
    RECT DisplayRect(TDisplayCode Code) const;
    // Starts editing the caption in place (the list's CanEdit and OnEditing may refuse).
    void EditCaption();
    // Redraws the row.
    void Update();
    // Removes the row from its list and frees it.
    void Delete();

protected:
    // Called by the Caption and SubItems getters: an item that fills its texts
    // lazily does it here. Nothing by default.
    virtual void NeedTexts() {}
    // The texts without the lazy fill, for the fill itself.
    std::wstring& RawCaption() { return caption_; }
    TListSubItems& RawSubItems() { return subItems_; }

private:
    friend class TListItems;
    TListItems* owner_;
    int index_ = -1;
    std::wstring caption_;
    TListSubItems subItems_;
    int imageIndex_ = -1;
    int stateIndex_ = -1;
    int overlayIndex_ = -1;
    bool cut_ = false;
};

class TListItems : public TObject {
public:
    explicit TListItems(TCustomListView* AOwner);
    ~TListItems() override;

    TCustomListView* Owner() const { return owner_; }
    int Count() const { return int(items_.size()); }
    TListItem* Item(int Index) const { return items_.at(size_t(Index)).get(); }
    TListItem* operator[](int Index) const { return Item(Index); }
    // A new row at the end (made by the list view's CreateListItem).
    TListItem* Add();
    // Removes row Index (OnDeletion first) and frees it.
    void Delete(int Index);
    // Removes every row (OnDeletion for each).
    void Clear();
    // Within an update bracket the window is told the row count once, at its end.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }
    // Orders the rows by Less (a stable sort) and redraws once.
    void Sort(const std::function<bool(TListItem*, TListItem*)>& Less);
    // Puts row Order[i] at place i (Order names every row once) and redraws once;
    // for callers that work the order out themselves.
    void Reorder(const std::vector<int>& Order);
    // The row at Index, without a range check; nullptr beyond the end.
    TListItem* Find(int Index) const { return Index >= 0 && Index < Count() ? Item(Index) : nullptr; }

private:
    friend class TListItem;
    // The row count changed; Appended when rows were only added at the end.
    void CountChanged(bool Appended = false);
    void Renumber(int From);
    // Rows moved: selection and focus follow their rows, the window redraws once.
    void Moved(const std::vector<TListItem*>& Selected, TListItem* Focused);
    std::vector<TListItem*> SelectedItems() const;

    TCustomListView* owner_;
    std::vector<std::unique_ptr<TListItem>> items_;
    int updateCount_ = 0;
    bool countPending_ = false;
    bool onlyAppended_ = true;  // since the window last learned the count
};

class TListColumn : public TObject {
public:
    explicit TListColumn(TListColumns* AOwner);

    int Index() const;
    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& Value);
    // The width in pixels in the report view (the window's, once it has one); 0
    // hides the column. In the list view column 0's width is that of the list's
    // columns of rows, and the report view keeps its own.
    int Width() const;
    void SetWidth(int Value);
    // An auto-sized column is fitted to its caption and the texts of the rows in
    // view when the flag turns on and when the window is made; a column of width 0
    // stays hidden.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);

private:
    friend class TListColumns;
    void Changed();
    TListColumns* owner_;
    std::wstring caption_;
    int width_ = 50;
    bool autoSize_ = false;
    TAlignment alignment_ = taLeftJustify;
};

class TListColumns : public TObject {
public:
    explicit TListColumns(TCustomListView* AOwner);
    ~TListColumns() override;

    TCustomListView* Owner() const { return owner_; }
    int Count() const { return int(columns_.size()); }
    TListColumn* Items(int Index) const { return columns_.at(size_t(Index)).get(); }
    TListColumn* operator[](int Index) const { return Items(Index); }
    TListColumn* Add();
    void Delete(int Index);
    void Clear();
    // Within an update bracket the window's columns are rebuilt once, at its end.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int IndexOf(const TListColumn* Column) const;

private:
    friend class TListColumn;
    friend class TCustomListView;
    void Rebuild();
    // The report view's widths into the columns, as it is left; back into the window as it is entered.
    void KeepWindowWidths();
    void GiveWidths();
    TCustomListView* owner_;
    std::vector<std::unique_ptr<TListColumn>> columns_;
    int updateCount_ = 0;
};

using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVDeletedEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVNotifyEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::wstring& S)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVCompareEvent =
    std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2, int Data, int& Compare)>;
using TLVAdvancedCustomDrawEvent =
    std::function<void(TCustomListView* Sender, const RECT& ARect, TCustomDrawStage Stage, bool& DefaultDraw)>;
// A row about to be drawn: the handler may set Canvas()'s font colour, font and
// brush colour for the row's text, or draw it itself (DefaultDraw false).
// State: the row's CDIS_* flags.
using TLVAdvancedCustomDrawItemEvent = std::function<void(TCustomListView* Sender, TListItem* Item, UINT State,
                                                          TCustomDrawStage Stage, bool& DefaultDraw)>;
using TLVInfoTipEvent = std::function<void(TObject* Sender, TListItem* Item, std::wstring& InfoTip)>;
// Makes the row object for a list; a handler may put its own in place of the default.
using TListItemFactory = std::function<TListItem*(TListItems* Owner)>;
using TLVCreateItemClassEvent = std::function<void(TCustomListView* Sender, TListItemFactory& ItemClass)>;

class TCustomListView : public TWinControl {
public:
    explicit TCustomListView(TComponent* AOwner);
    ~TCustomListView() override;

    TListItems* Items() const { return items_.get(); }
    TListColumns* Columns() const { return columns_.get(); }
    // The first selected row (the focused one when it is selected); nullptr for none.
    TListItem* Selected() const;
    void SetSelected(TListItem* Item);
    int SelCount() const;
    TListItem* ItemFocused() const;
    virtual void SelectAll();
    void ClearSelection();
    // The row at a client point; nullptr for none.
    TListItem* GetItemAt(int X, int Y) const;
    TListItem* TopItem() const;
    int VisibleRowCount() const;
    virtual void Clear();
    // Sorts the rows with Compare (negative: Item1 first) and redraws once.
    void CustomSort(const std::function<int(TListItem*, TListItem*)>& Compare);

    TViewStyle ViewStyle() const { return viewStyle_; }
    virtual void SetViewStyle(TViewStyle Value);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool Value);
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool Value);
    bool ShowColumnHeaders() const { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool Value);
    // Read-only lists edit no caption in place.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    // Whether a caption is being edited in place.
    bool IsEditing() const;
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool Value);
    bool AutoArrange() const { return autoArrange_; }
    void SetAutoArrange(bool Value);

    // Image lists are not owned.
    TCustomImageList* SmallImages() const { return smallImages_; }
    void SetSmallImages(TCustomImageList* Value);
    TCustomImageList* LargeImages() const { return largeImages_; }
    void SetLargeImages(TCustomImageList* Value);
    TCustomImageList* StateImages() const { return stateImages_; }
    void SetStateImages(TCustomImageList* Value);

    // The header control of the report view; nullptr without a window.
    HWND HeaderHandle();
    // Redraws rows First to Last.
    void UpdateItems(int First, int Last);
    // Fits a column to its caption and the texts of the rows in view (a hidden
    // column, of width 0, stays hidden).
    void FitColumn(TListColumn* Column);
    void Arrange();

    TLVChangeEvent OnChange;
    TLVDeletedEvent OnDeletion;
    TLVColumnClickEvent OnColumnClick;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;
    TLVCompareEvent OnCompare;
    TLVNotifyEvent OnGetImageIndex;
    TLVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
    TLVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;
    TLVCreateItemClassEvent OnCreateItemClass;
    // Raised with a row's tip text before its hint shows; the handler may change it.
    TLVInfoTipEvent OnInfoTip;

    // The paint's context during a custom-draw handler (lent for the call).
    TCanvas* Canvas();
    // The drag picture of the selected rows (owned by the list, made afresh each
    // call); nullptr when no row is selected.
    virtual TCustomImageList* GetDragImages();

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // The window's own keys and mouse: where they change the state of many rows,
    // the window is drawn once afterwards (see SetStates).
    void DefaultHandler(TMessage& Message) override;
    // Makes one row object; descendants make their own class.
    virtual TListItem* CreateListItem();
    virtual void ColClick(TListColumn* Column);
    virtual void Change(TListItem* Item, TItemChange Change);
    virtual void Delete(TListItem* Item);
    // In-place editing: whether Item's caption may be edited (raises OnEditing),
    // and the end of an edit: Text is the new caption, nullptr when cancelled.
    // By default an accepted text (after OnEdited) becomes the caption.
    virtual bool CanEdit(TListItem* Item);
    virtual void Edit(TListItem* Item, const std::wstring* Text);
    // The image index the window shows for a row (raises OnGetImageIndex).
    virtual void GetImageIndex(TListItem* Item);
    virtual bool CustomDraw(const RECT& ARect, TCustomDrawStage Stage);
    // A row's pre-paint (raises OnAdvancedCustomDrawItem); false: the row is drawn here.
    virtual bool CustomDrawItem(TListItem* Item, UINT State, TCustomDrawStage Stage);
    // Whether custom-draw notices of Target at Stage are asked for (a handler is
    // bound: OnAdvancedCustomDraw for the control, OnAdvancedCustomDrawItem for rows).
    virtual bool IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage);
    // The window asks for a row's text or images.
    virtual void GetDispInfo(NMLVDISPINFOW& Info);
    // After the row count changed (OnlyAppended: rows were only added at the end).
    virtual void ItemCountChanged(bool OnlyAppended);
    // Puts a descendant's own (empty) rows object in place; for constructors.
    void SetItemsObject(std::unique_ptr<TListItems> Value) { items_ = std::move(Value); }
    std::wstring ClassName() const override { return L"TCustomListView"; }

private:
    friend class TListItems;
    friend class TListItem;
    friend class TListColumns;
    friend class TListColumn;
    void HandleNotify(TMessage& Message);
    // Sets State within Mask on row Index (-1: every row). The system's list view
    // redraws each row whose state changes, one at a time: on 200,000 rows Wine
    // takes seconds. Where many rows may change, a shown window is drawn once,
    // afterwards.
    void SetStates(int Index, UINT State, UINT Mask);
    // Whether a change of the selection may touch many rows (more than a screen holds).
    bool ManyMayChange(bool Selecting) const;
    LRESULT HandleCustomDraw(NMLVCUSTOMDRAW& Draw);
    LRESULT ItemPrePaint(NMLVCUSTOMDRAW& Draw);
    void UpdateStyle(DWORD Mask, DWORD Bits);
    void UpdateExtendedStyle();
    void ApplyImageLists();
    void SetCallbackMask();
    void FitAutoSizeColumns();
    void ApplyColor();
    // Puts the window into ViewStyle, keeping its rows' selection and focus.
    void SwitchView();
    // The width of the list view's columns of rows (column 0's width in that view).
    int ListColumnWidth() const;
    void SetListColumnWidth(int Value);

    std::unique_ptr<TListItems> items_;
    std::unique_ptr<TListColumns> columns_;
    TViewStyle viewStyle_ = vsIcon;
    bool multiSelect_ = false;
    bool rowSelect_ = false;
    bool showColumnHeaders_ = true;
    bool readOnly_ = false;
    bool hideSelection_ = true;
    bool autoArrange_ = true;
    TCustomImageList* smallImages_ = nullptr;
    TCustomImageList* largeImages_ = nullptr;
    TCustomImageList* stateImages_ = nullptr;
    std::wstring textBuffer_;
    // The list view's column width given by the program; 0 leaves the window's own.
    int listColumnWidth_ = 0;
    // Rows' states are being put back after a view switch: no change is reported.
    bool restoringState_ = false;
    std::unique_ptr<TCanvas> canvas_;
    std::unique_ptr<TImageList> dragImages_;
};

class TListView : public TCustomListView {
public:
    using TCustomListView::TCustomListView;

protected:
    std::wstring ClassName() const override { return L"TListView"; }
};

}  // namespace fw
