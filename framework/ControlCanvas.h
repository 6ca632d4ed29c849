#pragma once
// TControlCanvas: the canvas of a control, owned by the control that draws on it.
// CanvasLease lends a paint's device context to a canvas for one Paint call.
#include <windows.h>

#include <optional>

#include "framework/Control.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace fw {

// The canvas of a control: draws on the control's window, or on the parent's
// window over a windowless control (moved to its position and clipped to it).
// A context it acquires is given back after each message the control's window
// handles, so it never outlives a paint. Without a window to draw on it measures
// on a screen-compatible memory context.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl* AControl = nullptr) : control_(AControl) {}
    ~TControlCanvas() override;

    TControl* Control() const { return control_; }
    void SetControl(TControl* Value);
    // Gives back a context this canvas acquired.
    void FreeHandle();

protected:
    void CreateHandle() override;

private:
    TControl* control_;
    HDC DeviceContext() const { return windowDC_ ? windowDC_->get() : memoryDC_.get(); }

    // One of the two, or neither: the window's context or a memory one.
    std::optional<WindowDC> windowDC_;
    DCHandle memoryDC_;
};

// Gives back the contexts of every control canvas that is not locked.
void FreeDeviceContexts();

// Lends DC to Canvas, locked, for one Paint call, and takes it back however Paint ends.
class CanvasLease {
public:
    CanvasLease(TCanvas* Canvas, HDC DC) : canvas_(Canvas) {
        canvas_->Lock();
        canvas_->SetHandle(DC);
    }
    ~CanvasLease() {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
    }
    CanvasLease(const CanvasLease&) = delete;
    CanvasLease& operator=(const CanvasLease&) = delete;

private:
    TCanvas* canvas_;
};

}  // namespace fw
