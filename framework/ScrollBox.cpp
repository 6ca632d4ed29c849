#include "framework/ScrollBox.h"

#include <algorithm>

namespace fw {

TScrollBox::TScrollBox(TComponent* AOwner) : TWinControl(AOwner) {
    controlStyle_ |= csAcceptsControls;
    SetBounds(0, 0, 185, 41);
}

void TScrollBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
    Params.Style |= WS_HSCROLL | WS_VSCROLL;
}

void TScrollBox::CreateWnd() {
    TWinControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollBox::BoundsChanged(bool SizeChanged) {
    TWinControl::BoundsChanged(SizeChanged);
    if (SizeChanged) UpdateScrollBars();
}

SIZE TScrollBox::ContentSize() const {
    SIZE size{0, 0};
    for (int i = 0; i < ControlCount(); ++i) {
        const TControl* c = Controls(i);
        if (!c->Visible()) continue;
        size.cx = std::max<LONG>(size.cx, c->Left() + c->Width() + position_[0]);
        size.cy = std::max<LONG>(size.cy, c->Top() + c->Height() + position_[1]);
    }
    return size;
}

void TScrollBox::UpdateScrollBars() {
    if (!HandleAllocated() || updating_) return;
    updating_ = true;
    const SIZE content = ContentSize();
    // Showing one bar narrows the client area, which may call for the other: twice settles it.
    for (int pass = 0; pass < 2; ++pass) {
        RECT client;
        GetClientRect(Handle(), &client);
        const LONG extent[2] = {content.cx, content.cy};
        const LONG page[2] = {client.right, client.bottom};
        for (int bar = 0; bar < 2; ++bar) {
            const int limit = std::max<int>(0, int(extent[bar] - page[bar]));
            if (position_[bar] > limit) {
                const int back = position_[bar] - limit;
                bar == 0 ? MoveChildren(back, 0) : MoveChildren(0, back);
                position_[bar] = limit;
            }
            SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
            si.nMax = extent[bar] > page[bar] ? int(extent[bar]) - 1 : 0;
            si.nPage = extent[bar] > page[bar] ? UINT(page[bar]) : 0;
            si.nPos = position_[bar];
            si.fMask = SIF_ALL;
            SetScrollInfo(Handle(), bar == 0 ? SB_HORZ : SB_VERT, &si, TRUE);
            ShowScrollBar(Handle(), bar == 0 ? SB_HORZ : SB_VERT, extent[bar] > page[bar]);
        }
    }
    updating_ = false;
}

void TScrollBox::MoveChildren(int DX, int DY) {
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        c->SetBounds(c->Left() + DX, c->Top() + DY, c->Width(), c->Height());
    }
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TScrollBox::ScrollTo(int X, int Y) {
    const int target[2] = {X, Y};
    int delta[2] = {0, 0};
    if (HandleAllocated()) {
        RECT client;
        GetClientRect(Handle(), &client);
        const SIZE content = ContentSize();
        const LONG limit[2] = {std::max<LONG>(0, content.cx - client.right),
                               std::max<LONG>(0, content.cy - client.bottom)};
        for (int bar = 0; bar < 2; ++bar) {
            const int to = std::clamp<int>(target[bar], 0, int(limit[bar]));
            delta[bar] = position_[bar] - to;
            position_[bar] = to;
        }
    }
    if (delta[0] || delta[1]) MoveChildren(delta[0], delta[1]);
    UpdateScrollBars();
}

void TScrollBox::Scroll(int Bar, WORD Code) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), Bar == 0 ? SB_HORZ : SB_VERT, &si);
    int to = position_[Bar];
    switch (Code) {
    case SB_LINEUP: to -= increment_[Bar]; break;
    case SB_LINEDOWN: to += increment_[Bar]; break;
    case SB_PAGEUP: to -= int(si.nPage); break;
    case SB_PAGEDOWN: to += int(si.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: to = si.nTrackPos; break;
    case SB_TOP: to = 0; break;
    case SB_BOTTOM: to = si.nMax; break;
    default: return;
    }
    Bar == 0 ? ScrollTo(to, position_[1]) : ScrollTo(position_[0], to);
}

void TScrollBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (Message.LParam == 0) {  // the box's own bars, not a scroll-bar child's
            Scroll(Message.Msg == WM_HSCROLL ? 0 : 1, LOWORD(Message.WParam));
            Message.Result = 0;
            return;
        }
        break;
    case WM_MOUSEWHEEL: {
        const int lines = -GET_WHEEL_DELTA_WPARAM(Message.WParam) / WHEEL_DELTA * 3;
        ScrollTo(position_[0], position_[1] + lines * increment_[1]);
        Message.Result = 0;
        return;
    }
    default: break;
    }
    TWinControl::WndProc(Message);
}

}  // namespace fw
