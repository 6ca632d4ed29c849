#include "framework/Edit.h"

#include <algorithm>

namespace fw {

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    // The system class handles the mouse itself: no capture, no clicks from presses.
    controlStyle_ = csSetCaption | csDoubleClicks | csFixedHeight;
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

void TCustomEdit::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    RecreateWnd();
}

void TCustomEdit::SetMaxLength(int Value) {
    maxLength_ = std::max(Value, 0);
    if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, WPARAM(maxLength_), 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
    readOnly_ = Value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, Value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
    if (Value == borderStyle_) return;
    borderStyle_ = Value;
    RecreateWnd();
}

bool TCustomEdit::Modified() const {
    if (!HandleAllocated()) return modified_;
    return SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool Value) {
    modified_ = Value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETMODIFY, Value ? TRUE : FALSE, 0);
}

int TCustomEdit::SelStart() const {
    if (!HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return int(start);
}

int TCustomEdit::SelLength() const {
    if (!HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return int(end - start);
}

void TCustomEdit::SetSelStart(int Value) {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, WPARAM(Value), LPARAM(Value));
}

void TCustomEdit::SetSelLength(int Value) {
    const int start = SelStart();
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, WPARAM(start), LPARAM(start + Value));
}

void TCustomEdit::SelectAll() {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"EDIT");
    static const DWORD kAlign[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    Params.Style |= ES_AUTOHSCROLL | kAlign[alignment_];
    if (readOnly_) Params.Style |= ES_READONLY;
    if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
    TWinControl::CreateWnd();
    const HWND wnd = Handle();
    if (maxLength_ > 0) SendMessageW(wnd, EM_LIMITTEXT, WPARAM(maxLength_), 0);
    if (modified_) SendMessageW(wnd, EM_SETMODIFY, TRUE, 0);
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == EN_CHANGE) Change();
        Message.Result = 0;
        return;
    case CM_TEXTCHANGED:
        // Text set without a window: the window's EN_CHANGE will not come.
        if (!HandleAllocated()) Change();
        return;
    case WM_DESTROY:
        // The window's state goes back into the object before the window does.
        modified_ = SendMessageW(Handle(), EM_GETMODIFY, 0, 0) != 0;
        break;
    default: break;
    }
    TWinControl::WndProc(Message);
}

}  // namespace fw
