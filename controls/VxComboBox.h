#pragma once
// The combo box base of the control library: the framework's combo box with a
// read-only mode, a placeholder text shown while the text is empty and the
// control has no focus, a drop-down width, item measuring styles, text cut to a
// pixel width (TVxMaxPixel), and a data-provider mode in which the items come
// from a provider through the combo's data consumer (the window then holds as
// many empty items as the consumer's view has rows).
// Created and owned like the framework's combo box; it owns its consumer and
// its pixel limit.
#include <memory>
#include <string>

#include "controls/VxDataConsumer.h"
#include "controls/VxExComboBox.h"
#include "controls/VxMaxPixel.h"
#include "framework/StringList.h"

namespace vx {

class TVxCustomComboBox;

// The items: the window's list (as the framework keeps it), or, while the
// combo loads in provider mode, an internal list.
class TVxComboBoxStrings : public fw::TCustomComboBoxStrings {
public:
    explicit TVxComboBoxStrings(TVxCustomComboBox* Combo);

    int Add(const std::wstring& S) override;
    void Insert(int Index, const std::wstring& S) override;
    void Delete(int Index) override;
    void Clear() override;
    void PutObject(int Index, fw::TObject* AObject) override;
    int IndexOf(const std::wstring& S) const override;

    bool UseInternal() const { return useInternal_; }
    // Moves the window's items into the internal list, and back.
    void MoveToInternal();
    void MoveBack();
    // Held around the window's destruction in provider mode.
    void Lock() { ++lockCount_; }
    void Unlock() {
        if (lockCount_ > 0) --lockCount_;
    }

protected:
    std::wstring Get(int Index) const override;
    int GetCount() const override;
    fw::TObject* GetObject(int Index) const override;
    std::wstring ClassName() const override { return L"TVxComboBoxStrings"; }

private:
    bool Internal() const;
    // A change of the list ends provider mode.
    void DetachProvider();

    TVxCustomComboBox* combo_;
    fw::TStringList internal_;
    bool useInternal_ = false;
    int lockCount_ = 0;
};

// When items are measured.
enum TVxMeasureStyle : uint8_t {
    msStandard,
    msAfterCreate,
    msBeforeDraw
};

class TVxCustomComboBox : public TVxExCustomComboBox {
public:
    explicit TVxCustomComboBox(fw::TComponent* AOwner);
    ~TVxCustomComboBox() override;

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    // The placeholder shown while the text is empty and the control has no focus.
    const std::wstring& EmptyValue() const { return emptyValue_; }
    void SetEmptyValue(const std::wstring& Value);
    fw::TColor EmptyFontColor() const { return emptyFontColor_; }
    void SetEmptyFontColor(fw::TColor Value) { emptyFontColor_ = Value; }
    bool ShowingEmptyValue() const { return showingEmpty_; }
    // The drop-down width given to the window when it is made (0: the system's).
    int DroppedWidth() const { return droppedWidth_; }
    void SetDroppedWidth(int Value);
    TVxMeasureStyle MeasureStyle() const { return measureStyle_; }
    void SetMeasureStyle(TVxMeasureStyle Value) { measureStyle_ = Value; }
    TVxMaxPixel* MaxPixel() const { return maxPixel_.get(); }
    TVxDataConsumer* Consumer() const { return consumer_; }
    bool ProviderSelected() const { return providerSelected_; }
    // The placeholder's text reads as empty; setting a text while it shows replaces it.
    void SetText(const std::wstring& Value) override;
    void SetItemHeight(int Value) override;
    // The item's text: from the provider's view in provider mode, else the list's.
    virtual std::wstring ItemText(int Index);
    // Rows of the consumer's view (0 without one).
    int ProviderItemCount();

    void WndProc(fw::TMessage& Message) override;
    // "Ctl3D" and "ParentCtl3D" are read (into the combo box's own) and never written.
    void DefineProperties(fw::TFiler& Filer) override;

protected:
    std::unique_ptr<fw::TCustomComboBoxStrings> CreateItems() override;
    void CreateParams(fw::TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    void DoEnter() override;
    void DoExit() override;
    std::wstring GetText() override;
    void Change() override;
    void DrawItem(int Index, const RECT& Rect, fw::TOwnerDrawState State) override;
    void MeasureItem(int Index, int& Height) override;
    virtual void LeaveEmptyValue();
    virtual void ShowEmptyValue();
    // The height of item Index (-1: the edit part); never lower than given.
    virtual void MeasureItemAt(int Index, int& Height);
    std::wstring ClassName() const override { return L"TVxCustomComboBox"; }

    TVxComboBoxStrings* VxItems() const { return static_cast<TVxComboBoxStrings*>(Items()); }
    Ptr<IVxDataConsumerViewList> ViewList() const;

private:
    void ApplyMaxPixel();
    void ConsumerChanged(int Reason);
    void ConsumerExtensionCreated(TVxDataConsumerAggregatedObject* Extension);
    void SyncItemCount();
    void MeasurePass();
    bool FilterReadOnly(fw::TMessage& Message);
    // The edit part's window procedure, ahead of its own: a read-only combo box
    // drops the keys the edit would pass to the list.
    static LRESULT CALLBACK EditProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR Id, DWORD_PTR Data);
    void ProviderSelectionChanged();
    int ProviderSearch(int Start, const std::wstring& Text, bool Exact);
    void DrawProviderItem(int Index, RECT Rect, fw::TOwnerDrawState State);

    std::unique_ptr<TVxMaxPixel> maxPixel_;
    bool readOnly_ = false;
    TVxDataConsumer* consumer_ = nullptr;
    bool modeChangeRunning_ = false;
    bool providerSelected_ = false;
    bool fixedHeight_ = true;
    TVxMeasureStyle measureStyle_ = msStandard;
    int itemHeight_ = 0;
    std::wstring emptyValue_;
    bool showingEmpty_ = false;
    fw::TColor emptyFontColor_ = fw::clGrayText;
    fw::TColor savedFontColor_ = fw::clWindowText;
    int droppedWidth_ = 0;
};

}  // namespace vx
