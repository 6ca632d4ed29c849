#pragma once
// TSplitter: a windowless bar between two aligned controls that the user drags to
// resize the control it follows. Created with an owner, placed with SetParent and
// aligned (alLeft by default) right after the control it resizes: the control of
// the same alignment whose edge touches the bar. Dragging keeps that control at
// least MinSize pixels and leaves the rest of the parent at least MinSize too.
#include <functional>

#include "framework/Controls.h"

namespace fw {

using TCanResizeEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

class TSplitter : public TGraphicControl {
public:
    explicit TSplitter(TComponent* AOwner);

    int MinSize() const { return minSize_; }
    void SetMinSize(int Value) { minSize_ = Value > 0 ? Value : 1; }
    // Left and right bars size horizontally; top and bottom ones vertically.
    void SetAlign(TAlign Value);
    // The control the bar resizes now, or nullptr.
    TControl* FindControl() const;

    // Before a size is applied: a handler may change it or refuse it.
    TCanResizeEvent OnCanResize;
    // After a drag has ended.
    TNotifyEvent OnMoved;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;
    std::wstring ClassName() const override { return L"TSplitter"; }

private:
    bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
    // The position along the drag axis, in the parent's co-ordinates.
    int ParentPos(int X, int Y) const { return Horizontal() ? X + Left() : Y + Top(); }
    void ApplySize(int NewSize);

    int minSize_ = 30;
    TControl* control_ = nullptr;
    int downPos_ = 0;
    int downSize_ = 0;
    int maxSize_ = 0;
};

}  // namespace fw
