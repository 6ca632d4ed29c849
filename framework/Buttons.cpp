#include "framework/Buttons.h"

#include <uxtheme.h>

#include "framework/Forms.h"
#include "framework/ImageList.h"
#include "framework/Label.h"

namespace fw {

// --- TButtonControl --------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
    // The system class handles the mouse itself: no capture, no clicks from presses.
    controlStyle_ = csSetCaption | csDoubleClicks;
    SetTabStop(true);
}

void TButtonControl::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
}

void TButtonControl::CreateWnd() {
    TWinControl::CreateWnd();
    themeOff_ = false;
    ApplyFontLook();
}

void TButtonControl::ApplyFontLook() {
    if (!unthemedWithOwnFont_ || !HandleAllocated() || themeOff_ == !ParentFont()) return;
    themeOff_ = !ParentFont();
    // A class list that names no class: Wine keeps the theme for an empty one.
    if (themeOff_) SetWindowTheme(Handle(), L" ", L" ");
    else SetWindowTheme(Handle(), nullptr, nullptr);
}

void TButtonControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CM_FONTCHANGED:
    case CM_PARENTFONTCHANGED:
        TWinControl::WndProc(Message);
        ApplyFontLook();
        return;
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == BN_CLICKED) Clicked();
        Message.Result = 0;
        return;
    case CM_DIALOGCHAR:
        if (Enabled() && IsAccel(unsigned(Message.WParam), Caption()) && CanFocus()) {
            SetFocus();
            AccelPressed();
            Message.Result = 1;
        }
        return;
    default: break;
    }
    TWinControl::WndProc(Message);
}

// --- TButton ---------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
    width_ = 75;
    height_ = 25;
}

TButton::~TButton() {
    // The window goes before the image list it shows.
    DestroyHandle();
    SetImages(nullptr);
}

void TButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    Params.Style |= active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
    TButtonControl::CreateWnd();
    ApplyImage();
}

void TButton::SetDefault(bool Value) {
    if (Value == default_) return;
    default_ = Value;
    // Enter goes to the default button unless a button has the focus.
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    if (!dynamic_cast<TButton*>(focused)) SetActive(Value);
}

void TButton::SetActive(bool Value) {
    if (Value == active_) return;
    active_ = Value;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (modalResult_ != 0)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::SetImages(TCustomImageList* Value) {
    if (Value == images_) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = Value;
    if (images_) images_->FreeNotification(this);
    ApplyImage();
}

void TButton::SetImageIndex(int Value) {
    if (Value == imageIndex_) return;
    imageIndex_ = Value;
    ApplyImage();
}

void TButton::Notification(TComponent* AComponent, TOperation Operation) {
    TButtonControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == images_) {
        images_ = nullptr;
        ApplyImage();
    }
}

// The button shows one image in every state: a list of that one image.
void TButton::ApplyImage() {
    if (!HandleAllocated()) {
        shown_.reset();
        return;
    }
    BUTTON_IMAGELIST info{};
    info.himl = nullptr;
    info.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    info.margin = RECT{2, 0, 0, 0};
    decltype(shown_) list;
    if (images_ && imageIndex_ >= 0 && imageIndex_ < images_->Count()) {
        list.reset(ImageList_Create(images_->Width(), images_->Height(), ILC_COLOR32 | ILC_MASK, 1, 0));
        const IconHandle icon(ImageList_GetIcon(images_->Handle(), imageIndex_, ILD_NORMAL));
        if (list && icon) ImageList_ReplaceIcon(list.get(), -1, icon.get());
        info.himl = list.get();
    }
    SendMessageW(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&info));
    shown_ = std::move(list);
}

void TButton::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CM_DIALOGKEY: {
        const bool enter = Message.WParam == VK_RETURN && active_;
        const bool escape = Message.WParam == VK_ESCAPE && cancel_;
        if ((enter || escape) && (GetShiftState() & (ssShift | ssAlt | ssCtrl)) == 0 && CanFocus()) {
            Click();
            Message.Result = 1;
        }
        return;
    }
    case CM_FOCUSCHANGED: {
        // The focused button takes Enter; else the default button has it.
        auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
        SetActive(dynamic_cast<TButton*>(focused) ? focused == this : default_);
        return;
    }
    default: break;
    }
    TButtonControl::WndProc(Message);
}

// --- TCheckBox -------------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    unthemedWithOwnFont_ = true;
    width_ = 97;
    height_ = 17;
}

void TCheckBox::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    // The control decides the next state itself (Toggle), so the box is not automatic.
    Params.Style |= BS_3STATE;
}

void TCheckBox::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageW(Handle(), BM_SETCHECK, WPARAM(state_), 0);
}

void TCheckBox::SetState(TCheckBoxState Value) {
    if (Value == state_) return;
    state_ = Value;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, WPARAM(state_), 0);
    Click();
}

void TCheckBox::Toggle() {
    switch (state_) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(allowGrayed_ ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
    }
}

// --- TRadioButton ----------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    unthemedWithOwnFont_ = true;
    width_ = 113;
    height_ = 17;
}

void TRadioButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    // Not automatic: the siblings are unchecked here, whatever their window order.
    Params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageW(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool Value) {
    if (Value == checked_) return;
    checked_ = Value;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!Value) return;
    if (TWinControl* parent = Parent()) {
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i)); sibling && sibling != this)
                sibling->SetChecked(false);
    }
    Click();
}

}  // namespace fw
