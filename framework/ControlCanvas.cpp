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
    if (!DeviceContext()) {
        HWND window = nullptr;
        if (control_ && control_->IsWindowed()) {
            auto* w = static_cast<TWinControl*>(control_);
            if (w->HandleAllocated()) window = w->Handle();
        } else if (control_ && control_->Parent() && control_->Parent()->HandleAllocated()) {
            window = control_->Parent()->Handle();
        }
        if (window) {
            windowDC_.emplace(window);
            if (!*windowDC_) {
                windowDC_.reset();
            } else if (!control_->IsWindowed()) {
                // A windowless control draws on its parent, at its place.
                SetViewportOrgEx(windowDC_->get(), control_->Left(), control_->Top(), nullptr);
                IntersectClipRect(windowDC_->get(), 0, 0, control_->Width(), control_->Height());
            }
        }
        if (!windowDC_) memoryDC_.reset(CreateCompatibleDC(nullptr));
        if (!DeviceContext()) return;
        TLockGuard guard(CanvasListLock());
        canvasList.push_back(this);
    }
    SetHandle(DeviceContext());
}

void TControlCanvas::FreeHandle() {
    if (!DeviceContext()) return;
    SetHandle(nullptr);
    windowDC_.reset();
    memoryDC_.reset();
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
