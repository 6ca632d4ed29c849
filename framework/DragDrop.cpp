#include "framework/DragDrop.h"

#include <utility>

namespace fw {

namespace {

POINT ToPoint(POINTL P) {
    return POINT{P.x, P.y};
}

// Hands a drag call to its handler with the effect to fill in; an unbound
// handler answers effect none.
template <class Handler, class... Args>
HRESULT Forward(const Handler& On, DWORD* Effect, Args... Arguments) {
    if (!Effect) return E_INVALIDARG;
    // A copy: a handler may clear the handlers of its own target.
    const Handler handler = On;
    if (!handler) {
        *Effect = DROPEFFECT_NONE;
        return S_OK;
    }
    return handler(Arguments..., *Effect);
}

}  // namespace

// ---- TDropTarget ----------------------------------------------------------------------

ComPtr<TDropTarget> TDropTarget::Create() {
    ComPtr<TDropTarget> result;
    result.attach(new TDropTarget());
    return result;
}

void TDropTarget::Clear() {
    OnDragEnter = nullptr;
    OnDragOver = nullptr;
    OnDragLeave = nullptr;
    OnDrop = nullptr;
}

HRESULT TDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
    return Forward(OnDragEnter, pdwEffect, pDataObj, grfKeyState, ToPoint(pt));
}

HRESULT TDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
    return Forward(OnDragOver, pdwEffect, grfKeyState, ToPoint(pt));
}

HRESULT TDropTarget::DragLeave() {
    const TDragLeaveEvent handler = OnDragLeave;
    return handler ? handler() : S_OK;
}

HRESULT TDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
    return Forward(OnDrop, pdwEffect, pDataObj, grfKeyState, ToPoint(pt));
}

// ---- TDropSource ----------------------------------------------------------------------

HRESULT QueryContinueByButton(bool EscapePressed, DWORD KeyState, DWORD DragButton) {
    if (EscapePressed) return DRAGDROP_S_CANCEL;
    if (KeyState & DragButton) return S_OK;
    return DRAGDROP_S_DROP;
}

ComPtr<TDropSource> TDropSource::Create(DWORD DragButton) {
    ComPtr<TDropSource> result;
    result.attach(new TDropSource(DragButton ? DragButton : MK_LBUTTON));
    return result;
}

void TDropSource::Clear() {
    OnQueryContinueDrag = nullptr;
    OnGiveFeedback = nullptr;
}

HRESULT TDropSource::QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) {
    const TQueryContinueDragEvent handler = OnQueryContinueDrag;
    if (handler) return handler(fEscapePressed != FALSE, grfKeyState);
    return QueryContinueByButton(fEscapePressed != FALSE, grfKeyState, dragButton_);
}

HRESULT TDropSource::GiveFeedback(DWORD dwEffect) {
    const TGiveFeedbackEvent handler = OnGiveFeedback;
    return handler ? handler(dwEffect) : DRAGDROP_S_USEDEFAULTCURSORS;
}

HRESULT RunDragDrop(IDataObject* Data, IDropSource* Source, DWORD OkEffects, DWORD& Effect) {
    Effect = DROPEFFECT_NONE;
    if (!Data || !Source) return E_INVALIDARG;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = ::DoDragDrop(Data, Source, OkEffects, &effect);
    // Only a drop performed something; a cancelled drag leaves OLE's last guess behind.
    Effect = hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
    return hr;
}

// ---- TDropTargetRegistration -------------------------------------------------------------

TDropTargetRegistration::TDropTargetRegistration(TDropTargetRegistration&& Other) noexcept
    : window_(std::exchange(Other.window_, nullptr)) {}

TDropTargetRegistration& TDropTargetRegistration::operator=(TDropTargetRegistration&& Other) noexcept {
    if (this != &Other) {
        Revoke();
        window_ = std::exchange(Other.window_, nullptr);
    }
    return *this;
}

HRESULT TDropTargetRegistration::Register(HWND Window, IDropTarget* Target) {
    Revoke();
    if (!Window || !Target) return E_INVALIDARG;
    const HRESULT hr = ::RegisterDragDrop(Window, Target);
    if (SUCCEEDED(hr)) window_ = Window;
    return hr;
}

void TDropTargetRegistration::Revoke() {
    if (!window_) return;
    // Owners revoke before their window goes; a window already gone is left alone.
    if (IsWindow(window_)) ::RevokeDragDrop(window_);
    window_ = nullptr;
}

}  // namespace fw
