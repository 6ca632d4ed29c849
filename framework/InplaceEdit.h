#pragma once
// The grid's in-place editors: TInplaceEdit (an edit window over the current
// cell), TInplaceEditList (with a drop-down pick list, TPopupListbox, or an
// ellipsis button). A grid makes its editor on first use and owns it.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/CustomGrid.h"
#include "framework/StringList.h"

namespace fw {

// An edit window over the current cell, owned by its grid.
class TInplaceEdit : public TWinControl {
public:
    explicit TInplaceEdit(TComponent* AOwner);

    TCustomGrid* Grid() const { return grid_; }
    void SetGrid(TCustomGrid* Value) { grid_ = Value; }
    // Places the editor over Rect of the grid and shows it.
    void ShowAt(const RECT& Rect);
    void HideEdit();
    // Whether the editor's window is shown.
    bool IsShown();
    // Reloads the text from the grid's current cell.
    virtual void UpdateContents();
    void SelectAll();
    void Deselect();

protected:
    std::wstring ClassName() const override { return L"TInplaceEdit"; }
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    // The client area left for the text (less any button).
    virtual RECT EditRect();
    void BoundsChanged(bool SizeChanged) override;

private:
    TCustomGrid* grid_ = nullptr;
};

// The pick list of a TInplaceEditList: a list box in a popup window.
class TPopupListbox : public TWinControl {
public:
    explicit TPopupListbox(TComponent* AOwner);
    ~TPopupListbox() override;

    // The entries shown when the list next drops down.
    TStrings* Items() const { return items_; }
    int ItemIndex() const;
    void SetItemIndex(int Value);
    // Loads Items into the window.
    void LoadItems();

    // Called with the chosen entry (Accept) or with none (not Accept).
    std::function<void(bool Accept)> OnCloseUp;

protected:
    std::wstring ClassName() const override { return L"TPopupListbox"; }
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;

private:
    TStringList* items_;
};

// An in-place editor that may show a drop-down pick list or an ellipsis button.
class TInplaceEditList : public TInplaceEdit {
public:
    explicit TInplaceEditList(TComponent* AOwner);

    TEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TEditStyle Value);
    TPopupListbox* PickList();
    // The list that drops down (the pick list when the style is esPickList), or nullptr.
    TPopupListbox* ActiveList() const { return activeList_; }
    void SetActiveList(TPopupListbox* Value) { activeList_ = Value; }
    bool ListVisible() const { return listVisible_; }
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int Value);

    virtual void DropDown();
    virtual void CloseUp(bool Accept);
    void UpdateContents() override;

    TNotifyEvent OnEditButtonClick;

protected:
    std::wstring ClassName() const override { return L"TInplaceEditList"; }
    void WndProc(TMessage& Message) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    virtual void DoEditButtonClick();
    RECT EditRect() override;
    RECT ButtonRect();
    void PaintButton(HDC DC);

private:
    TEditStyle editStyle_ = esSimple;
    TPopupListbox* pickList_ = nullptr;
    TPopupListbox* activeList_ = nullptr;
    bool listVisible_ = false;
    bool pressed_ = false;
    int buttonWidth_;
};

}  // namespace fw
