#pragma once
// Hints: the small window that shows a control's Hint near the mouse, and the
// application's hint handling that decides when it appears and goes.
// The application passes every message it takes to HintMessage before it is
// dispatched: resting the mouse on a control whose ShowHint is on (own or
// inherited from its parent) asks for its hint after HintPause, and a hint whose
// text is not empty (the control's Hint, or what a handler gave) appears; leaving the hint's cursor rectangle (the control's client area
// unless a handler narrowed it) hides it and starts over; a click or a key hides
// it. Before it appears the control gets CM_HINTSHOW and every
// TApplicationEvents its OnShowHint, each of which may change the text and the
// THintInfo or refuse the hint. All of it runs on the UI thread; the one hint
// window is made on first use and lives as long as the program.
#include <string>

#include "framework/Controls.h"

namespace fw {

// A borderless top-level popup that paints its text on the info colours and
// lets the mouse pass through to the window below.
class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* AOwner);

    // The window's size for Hint, wrapped at MaxWidth pixels (origin 0, 0).
    virtual RECT CalcHintRect(int MaxWidth, const std::wstring& Hint);
    // Shows Hint in Rect (screen coordinates) without taking the focus.
    virtual void ActivateHint(const RECT& Rect, const std::wstring& Hint);
    // Hides the window.
    void ReleaseHandle();

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    std::wstring ClassName() const override { return L"THintWindow"; }
};

// The application's hint settings (milliseconds).
struct THintSettings {
    bool ShowHint = true;
    // Rest before a hint appears, and before the next one once one was shown.
    int HintPause = 500;
    int HintShortPause = 50;
    // How long a hint stays (when the handlers leave HideTimeout at 0).
    int HintHidePause = 2500;
    // The colour a hint starts with, before its control has its say.
    TColor HintColor = clInfoBk;
};
THintSettings& HintSettings();

// What the application does with each message before dispatching it.
void HintMessage(const MSG& Msg);
// Shows at once the hint of the control under the screen point CursorPos, as the
// pause's end would; returns whether a hint is now shown.
bool ActivateHint(POINT CursorPos);
// Hides any hint and forgets the control under the mouse.
void CancelHint();
// The hint shown now: its window (nullptr when none is shown), its text and the
// cursor rectangle in screen coordinates.
THintWindow* ShownHintWindow();
const std::wstring& ShownHintText();
RECT ShownHintCursorRect();

// The short part of a hint: the text before the first "|".
std::wstring GetShortHint(const std::wstring& Hint);
// The part after "|" (the whole hint when there is no "|").
std::wstring GetLongHint(const std::wstring& Hint);

}  // namespace fw
