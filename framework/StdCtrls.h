#pragma once
// Standard controls over the system's window classes: the combo box.
// A TCustomComboBox is a TWinControl over the COMBOBOX class, created with an
// owner and placed with SetParent like any control; its window is made when it
// is first shown or its Handle() is asked for. Its Items() belong to the
// control: they live in the window while it exists and in the object before the
// window is made and between a destruction and a re-creation (a Style, Sorted or
// owner-drawn ItemHeight change re-creates the window), with the selected index
// and the text. The notifications the window sends its parent come back to the
// control as CN_COMMAND, CN_DRAWITEM and CN_MEASUREITEM (see Controls.h).
// Owner-drawn styles draw each item through the virtual DrawItem (OnDrawItem)
// on the control's Canvas, bound to the item's device context meanwhile.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/Controls.h"
#include "framework/StringList.h"

namespace fw {

class TCustomComboBox;

// The item state of an owner-drawn item: the ODS_* bits of the drawing request.
enum TOwnerDrawStateFlag : unsigned {
    odSelected = ODS_SELECTED,
    odGrayed = ODS_GRAYED,
    odDisabled = ODS_DISABLED,
    odChecked = ODS_CHECKED,
    odFocused = ODS_FOCUS,
    odDefault = ODS_DEFAULT,
    odHotLight = ODS_HOTLIGHT,
    odInactive = ODS_INACTIVE,
    odNoAccel = ODS_NOACCEL,
    odNoFocusRect = ODS_NOFOCUSRECT,
    odComboBoxEdit = ODS_COMBOBOXEDIT,
};
using TOwnerDrawState = unsigned;  // a set of TOwnerDrawStateFlag bits

// csOwnerDraw* styles are drop-down lists whose items the control draws.
enum TComboBoxStyle {
    csDropDown,
    csSimple,
    csDropDownList,
    csOwnerDrawFixed,
    csOwnerDrawVariable
};

using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, const RECT& Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

// The items of a combo box: CB_* messages while the window holds them, a list
// of its own otherwise (sorted on Add when the combo box is Sorted).
class TCustomComboBoxStrings : public TStrings {
public:
    explicit TCustomComboBoxStrings(TCustomComboBox* ComboBox) : comboBox_(ComboBox) {}

    TCustomComboBox* ComboBox() const { return comboBox_; }
    // EOutOfResources "Unable to insert a line" when the window refuses the item.
    int Add(const std::wstring& S) override;
    void Insert(int Index, const std::wstring& S) override;
    void Delete(int Index) override;
    // Empties the list; the combo box keeps the text it showed.
    void Clear() override;
    void PutObject(int Index, TObject* AObject) override;
    // Case-insensitive, whole text.
    int IndexOf(const std::wstring& S) const override;
    // Whether the items are in the window (else in the object).
    bool InWindow() const { return inWindow_; }

protected:
    friend class TCustomComboBox;
    std::wstring Get(int Index) const override;
    int GetCount() const override;
    TObject* GetObject(int Index) const override;
    // Redraw is off while updating; the combo box is refreshed at the end.
    void SetUpdateState(bool Updating) override;
    std::wstring ClassName() const override { return L"TCustomComboBoxStrings"; }

    // Moves the kept items into the new window, and the window's items back
    // into the object before the window goes.
    virtual void LoadIntoWindow();
    virtual void SaveFromWindow();
    LRESULT Send(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0) const;

private:
    struct Item {
        std::wstring text;
        TObject* object;
    };
    void CheckIndex(int Index, int Count) const;

    TCustomComboBox* comboBox_;
    std::vector<Item> kept_;
    bool inWindow_ = false;
};

class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle Value);
    TStrings* Items() const;
    // Assigns the lines and objects of Value.
    void SetItems(TStrings* Value) { Items()->Assign(Value); }
    // -1 when nothing is selected; setting it selects without OnChange.
    int ItemIndex() const;
    virtual void SetItemIndex(int Value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    // The most items the drop-down list shows before it scrolls (8).
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int Value) { dropDownCount_ = Value; }
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    // Owner-drawn styles: the height given to every item (16); a change makes
    // the window again. Other styles: the window's item height.
    int ItemHeight() const;
    virtual void SetItemHeight(int Value);
    // The most characters the edit part takes (0: no limit).
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value);
    // The selection in the edit part.
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    void SelectAll();
    // The edit window of csDropDown and csSimple, and the list window; nullptr
    // without a window or (edit) for the list styles.
    HWND EditHandle();
    HWND ListHandle();
    // A list style selects the item of the text (none when it is not listed).
    void SetText(const std::wstring& Value) override;
    // Typing finds the first item that starts with what was typed (True): a list
    // style selects it (keys typed within AutoCompleteDelay milliseconds add up);
    // the edit part shows the first such item, the part not typed selected.
    bool AutoComplete() const { return autoComplete_; }
    void SetAutoComplete(bool Value) { autoComplete_ = Value; }
    unsigned AutoCompleteDelay() const { return autoCompleteDelay_; }
    void SetAutoCompleteDelay(unsigned Value) { autoCompleteDelay_ = Value; }
    // Typing opens the list (False).
    bool AutoDropDown() const { return autoDropDown_; }
    void SetAutoDropDown(bool Value) { autoDropDown_ = Value; }
    // Kept for forms that store them; the system draws a combo box's frame itself.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool Value) { ctl3D_ = Value; }
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool Value) { parentCtl3D_ = Value; }

    TCanvas* Canvas() const { return canvas_.get(); }

    // On typing in the edit part and on a selection the user makes (unless
    // OnSelect is bound, which then takes the selection alone).
    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    void WndProc(TMessage& Message) override;

protected:
    // The items class; called once, when the items are first asked for.
    virtual std::unique_ptr<TCustomComboBoxStrings> CreateItems();
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    // Draws item Index into Rect of Canvas (OnDrawItem, or the text on the brush).
    virtual void DrawItem(int Index, const RECT& Rect, TOwnerDrawState State);
    // Height starts at ItemHeight; csOwnerDrawVariable only (OnMeasureItem).
    virtual void MeasureItem(int Index, int& Height);
    // Sizes the window so that the list shows up to DropDownCount items.
    void AdjustDropDown();
    bool IsOwnerDrawn() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
    // Whether the style has an edit part.
    bool HasEdit() const { return style_ == csDropDown || style_ == csSimple; }
    std::wstring ClassName() const override { return L"TCustomComboBox"; }

private:
    // A character typed into a list style; true when the search took it.
    bool TypedInList(wchar_t Char);
    // The user changed the edit part's text (CBN_EDITCHANGE).
    void EditChanged();
    int FindPrefix(const std::wstring& Prefix) const;
    void HandleCommand(TMessage& Message);
    void HandleDrawItem(TMessage& Message);
    void HandleMeasureItem(TMessage& Message);
    void SaveWindowState();
    friend class TCustomComboBoxStrings;

    TComboBoxStyle style_ = csDropDown;
    mutable std::unique_ptr<TCustomComboBoxStrings> items_;
    std::unique_ptr<TControlCanvas> canvas_;
    int itemIndex_ = -1;
    bool sorted_ = false;
    int dropDownCount_ = 8;
    int itemHeight_ = 16;
    int maxLength_ = 0;
    bool autoComplete_ = true;
    bool autoDropDown_ = false;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    unsigned autoCompleteDelay_ = 500;
    std::wstring searchText_;  // typed into a list style so far
    DWORD lastKeyTick_ = 0;
    std::wstring typedText_;  // the edit text the user typed, without a completion
};

class TComboBox : public TCustomComboBox {
public:
    using TCustomComboBox::TCustomComboBox;

protected:
    std::wstring ClassName() const override { return L"TComboBox"; }
};

}  // namespace fw
