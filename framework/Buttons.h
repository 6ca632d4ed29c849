#pragma once
// The system's buttons as controls: TButtonControl is a TWinControl over the
// BUTTON class; TButton (a push button), TCheckBox and TRadioButton build on it.
// Each is created with an owner and placed with SetParent; its window is made
// when first shown, and what is set before lives in the object until then.
// The window's click notification comes back as CN_COMMAND and becomes Click
// (OnClick). The caption's "&x" makes Alt+x (or x alone where the focused
// control takes no characters) press the button; "&&" is a literal ampersand.
// On a form, the Default button is pressed by Enter (unless another button has
// the focus, which then is pressed), the Cancel button by Escape, and a button
// with a ModalResult sets the form's ModalResult when clicked.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Controls.h"
#include "framework/Handles.h"

namespace fw {

class TCustomImageList;

class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent* AOwner);

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // A box with a font of its own is drawn without the visual style, which
    // would draw its text in the theme's colour (Windows) or font (Wine).
    void ApplyFontLook();
    bool unthemedWithOwnFont_ = false;
    bool themeOff_ = false;
    // The window reported a click (BN_CLICKED).
    virtual void Clicked() { Click(); }
    // The caption's accelerator was pressed; the control has the focus.
    virtual void AccelPressed() { Click(); }
    std::wstring ClassName() const override { return L"TButtonControl"; }
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* AOwner);
    ~TButton() override;

    bool Default() const { return default_; }
    void SetDefault(bool Value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool Value) { cancel_ = Value; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int Value) { modalResult_ = Value; }
    // Whether Enter presses this button now: it has the focus, or it is the
    // Default button and no other button has it.
    bool Active() const { return active_; }
    // An image shown beside the caption: image ImageIndex of Images (not owned;
    // -1 or no list: none). Shown where the system's button can show images.
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);

    void Click() override;
    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    std::wstring ClassName() const override { return L"TButton"; }
    // Gives the window the image it shows (when it has a window).
    virtual void ApplyImage();

private:
    void SetActive(bool Value);

    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    int modalResult_ = 0;
    TCustomImageList* images_ = nullptr;
    int imageIndex_ = -1;
    UniqueResource<handle_traits::Simple<HIMAGELIST, ImageList_Destroy>> shown_;
};

enum TCheckBoxState {
    cbUnchecked,
    cbChecked,
    cbGrayed
};

// A check box. Setting State (or Checked) to a new value fires OnClick, as a
// click does; a click moves unchecked to checked, checked to grayed (when
// AllowGrayed) or unchecked, and grayed to unchecked.
class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* AOwner);

    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState Value);
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
    // The next state a click gives.
    void Toggle();

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Clicked() override { Toggle(); }
    void AccelPressed() override { Toggle(); }
    std::wstring ClassName() const override { return L"TCheckBox"; }

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
};

// A radio button: checking it unchecks the radio buttons of the same parent.
// Becoming checked (by a click or by Checked) fires OnClick.
class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* AOwner);

    bool Checked() const { return checked_; }
    void SetChecked(bool Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Clicked() override { SetChecked(true); }
    void AccelPressed() override { SetChecked(true); }
    std::wstring ClassName() const override { return L"TRadioButton"; }

private:
    bool checked_ = false;
};

}  // namespace fw
