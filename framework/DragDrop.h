#pragma once
// OLE drag and drop as typed handlers. TDropTarget is an IDropTarget that hands
// DragEnter, DragOver, DragLeave and Drop to std::function handlers; TDropSource
// is an IDropSource whose QueryContinueDrag and GiveFeedback may be handlers too
// (by default: continue while the drag button is held, drop when it is released,
// cancel on Escape only; the system's cursors). Both are COM objects: Create hands
// out the first reference and each dies with its last Release. The owner of a
// target clears its handlers (Clear) when it goes, since OLE may hold a reference
// a moment longer. TDropTargetRegistration owns one window's registration
// (RegisterDragDrop) and revokes it when it goes. Use all of them on the thread
// that called OleInitialize.
#include <windows.h>
#include <ole2.h>

#include <functional>

#include "framework/ComObject.h"
#include "framework/Handles.h"

namespace fw {

// Effect: in, the effects the source allows; out, the one the target would perform
// (DROPEFFECT_NONE to refuse). Point is in screen co-ordinates.
using TDragEnterEvent = std::function<HRESULT(IDataObject* Data, DWORD KeyState, POINT Point, DWORD& Effect)>;
using TDragOverEvent = std::function<HRESULT(DWORD KeyState, POINT Point, DWORD& Effect)>;
using TDragLeaveEvent = std::function<HRESULT()>;
using TDropEvent = std::function<HRESULT(IDataObject* Data, DWORD KeyState, POINT Point, DWORD& Effect)>;

class TDropTarget : public TComObject<IDropTarget, IID_IDropTarget> {
public:
    static ComPtr<TDropTarget> Create();

    // Unbound handlers answer S_OK; DragEnter, DragOver and Drop with effect none.
    TDragEnterEvent OnDragEnter;
    TDragOverEvent OnDragOver;
    TDragLeaveEvent OnDragLeave;
    TDropEvent OnDrop;
    // Forgets every handler (the owner is going).
    void Clear();

    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

private:
    TDropTarget() = default;
};

using TQueryContinueDragEvent = std::function<HRESULT(bool EscapePressed, DWORD KeyState)>;
using TGiveFeedbackEvent = std::function<HRESULT(DWORD Effect)>;

class TDropSource : public TComObject<IDropSource, IID_IDropSource> {
public:
    // DragButton: the key-state bit of the button that holds the drag (MK_LBUTTON, MK_RBUTTON).
    static ComPtr<TDropSource> Create(DWORD DragButton = MK_LBUTTON);

    DWORD DragButton() const { return dragButton_; }
    TQueryContinueDragEvent OnQueryContinueDrag;
    TGiveFeedbackEvent OnGiveFeedback;
    void Clear();

    // IDropSource
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD dwEffect) override;

private:
    explicit TDropSource(DWORD DragButton) : dragButton_(DragButton) {}
    DWORD dragButton_;
};

// The usual answer of a drag source: cancel on Escape, continue while DragButton
// is held, drop once it is released (another button pressed meanwhile changes nothing).
HRESULT QueryContinueByButton(bool EscapePressed, DWORD KeyState, DWORD DragButton);

// Runs OLE's modal drag loop. Effect: the effect the target performed
// (DROPEFFECT_NONE when the drag was cancelled or refused).
HRESULT RunDragDrop(IDataObject* Data, IDropSource* Source, DWORD OkEffects, DWORD& Effect);

// One window's registration as a drop target: revoked on Revoke, on a new
// Register and when the object goes. Move-only.
class TDropTargetRegistration {
public:
    TDropTargetRegistration() = default;
    ~TDropTargetRegistration() { Revoke(); }
    TDropTargetRegistration(TDropTargetRegistration&& Other) noexcept;
    TDropTargetRegistration& operator=(TDropTargetRegistration&& Other) noexcept;
    TDropTargetRegistration(const TDropTargetRegistration&) = delete;
    TDropTargetRegistration& operator=(const TDropTargetRegistration&) = delete;

    // RegisterDragDrop's answer; on failure nothing is registered.
    HRESULT Register(HWND Window, IDropTarget* Target);
    void Revoke();
    bool Registered() const { return window_ != nullptr; }
    HWND Window() const { return window_; }

private:
    HWND window_ = nullptr;
};

}  // namespace fw
