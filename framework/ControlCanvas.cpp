#include "framework/ControlCanvas.h"

#include <algorithm>
#include <vector>

#include "framework/SyncObjs.h"
#include "framework/WinControl.h"

namespace fw {

namespace {

// Never destroyed: canvases may still leave the list while the program ends.
TCriticalSection& CanvasListLock() {
    static TCriticalSection* lock = new TCriticalSection;
    return *lock;
}
std::vector<TControlCanvas*> canvasList;

}  // namespace

TControlCanvas::~TControlCanvas() {
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* Value) {
    if (Value == control_) return;
    FreeHandle();
    control_ = Value;
}

void TControlCanvas::CreateHandle() {
    if (!deviceContext_) {
        HWND window = nullptr;
        if (control_ && control_->IsWindowed()) {
            auto* w = static_cast<TWinControl*>(control_);
            if (w->HandleAllocated()) window = w->Handle();
        } else if (control_ && control_->Parent() && control_->Parent()->HandleAllocated()) {
            window = control_->Parent()->Handle();
        }
        if (window) {
            deviceContext_ = GetDC(window);
            window_ = window;
            memory_ = false;
            if (deviceContext_ && !control_->IsWindowed()) {
                // A windowless control draws on its parent, at its place.
                SetViewportOrgEx(deviceContext_, control_->Left(), control_->Top(), nullptr);
                IntersectClipRect(deviceContext_, 0, 0, control_->Width(), control_->Height());
            }
        }
        if (!deviceContext_) {
            deviceContext_ = CreateCompatibleDC(nullptr);
            window_ = nullptr;
            memory_ = true;
        }
        if (!deviceContext_) return;
        TLockGuard guard(CanvasListLock());
        canvasList.push_back(this);
    }
    SetHandle(deviceContext_);
}

void TControlCanvas::FreeHandle() {
    if (!deviceContext_) return;
    SetHandle(nullptr);
    if (memory_) DeleteDC(deviceContext_);
    else ReleaseDC(window_, deviceContext_);
    deviceContext_ = nullptr;
    window_ = nullptr;
    TLockGuard guard(CanvasListLock());
    canvasList.erase(std::remove(canvasList.begin(), canvasList.end(), this), canvasList.end());
}

void FreeDeviceContexts() {
    std::vector<TControlCanvas*> canvases;
    {
        TLockGuard guard(CanvasListLock());
        canvases = canvasList;
    }
    for (auto it = canvases.rbegin(); it != canvases.rend(); ++it) {
        TControlCanvas* canvas = *it;
        if (canvas->TryLock()) {
            canvas->FreeHandle();
            canvas->Unlock();
        }
    }
}

}  // namespace fw
