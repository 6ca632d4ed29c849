#pragma once
// The base of the components that show a system dialog. A dialog component is
// owned like any component; Execute shows the dialog modally and answers whether
// the user confirmed it. OnShow and OnClose come as the dialog appears and goes.
#include <windows.h>

#include "framework/Classes.h"

namespace fw {

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

    // Shows the dialog owned by the application's active window.
    bool Execute() { return Execute(nullptr); }
    // Shows the dialog owned by ParentWnd (the active window when null).
    virtual bool Execute(HWND ParentWnd) = 0;

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    std::wstring ClassName() const override { return L"TCommonDialog"; }
    // Descendants call these when their dialog window appears and goes.
    virtual void DoShow() {
        if (OnShow) OnShow(this);
    }
    virtual void DoClose() {
        if (OnClose) OnClose(this);
    }
};

}  // namespace fw
