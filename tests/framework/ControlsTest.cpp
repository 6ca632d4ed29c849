// Controls: component messages, layout, windows and their re-creation, mouse
// routing to windowless children, capture and enter/leave tracking.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Handles.h"

namespace {

using fw::TMessage;

// Keeps a log of the component messages and reflected notifications it gets.
template <class Base>
class Recording : public Base {
public:
    using Base::Base;
    std::vector<TMessage> log;
    int Count(UINT msg) const {
        return int(std::count_if(log.begin(), log.end(), [msg](const TMessage& m) { return m.Msg == msg; }));
    }
    void WndProc(TMessage& m) override {
        if ((m.Msg >= fw::CM_BASE && m.Msg < fw::CM_BASE + 0x100) ||
            (m.Msg >= fw::CN_BASE && m.Msg < fw::CN_BASE + 0x400))
            log.push_back(m);
        Base::WndProc(m);
    }
};

class Panel : public Recording<fw::TWinControl> {
public:
    explicit Panel(fw::TComponent* owner) : Recording(owner) {
        SetControlStyle(ControlStyle() | fw::csAcceptsControls);
    }
};

// A windowless control that paints itself in one colour and records its mouse calls.
class Swatch : public Recording<fw::TGraphicControl> {
public:
    using Recording::Recording;
    fw::TColor fill = fw::clRed;
    int paints = 0;
    struct Press {
        fw::TMouseButton button;
        int x, y;
    };
    std::vector<Press> downs, ups;
    std::vector<POINT> moves;
    int clicks = 0;

protected:
    void Paint() override {
        ++paints;
        Canvas()->Brush()->SetColor(fill);
        Canvas()->FillRect(ClientRect());
    }
    void MouseDown(fw::TMouseButton b, fw::TShiftState s, int x, int y) override {
        downs.push_back({b, x, y});
        TGraphicControl::MouseDown(b, s, x, y);
    }
    void MouseUp(fw::TMouseButton b, fw::TShiftState s, int x, int y) override {
        ups.push_back({b, x, y});
        TGraphicControl::MouseUp(b, s, x, y);
    }
    void MouseMove(fw::TShiftState s, int x, int y) override {
        moves.push_back({x, y});
        TGraphicControl::MouseMove(s, x, y);
    }
    void Click() override {
        ++clicks;
        TGraphicControl::Click();
    }
};

// An edit window of the system class, driven through the object.
class Edit : public Recording<fw::TWinControl> {
public:
    explicit Edit(fw::TComponent* owner) : Recording(owner) {
        SetTabStop(true);
        SetBounds(0, 0, 100, 21);
    }

protected:
    void CreateParams(fw::TCreateParams& p) override {
        TWinControl::CreateParams(p);
        CreateSubClass(p, L"EDIT");
        p.Style |= ES_AUTOHSCROLL;
        p.ExStyle |= WS_EX_CLIENTEDGE;
    }
};

std::vector<LONG> Edges(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

#define EXPECT_RECT(r, l, t, rt, b) EXPECT_EQ(Edges(r), (std::vector<LONG>{l, t, rt, b}))

std::wstring WindowText(HWND h) {
    wchar_t buffer[256] = {};
    GetWindowTextW(h, buffer, 256);
    return buffer;
}

// Every test keeps the texts of the boxes the application would show.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new fw::TForm(nullptr);
        form->SetPosition(fw::poDesigned);
        form->SetBounds(40, 40, 420, 320);
        savedHook_ = fw::TApplication::MessageBoxHook;
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& text, const std::wstring&, unsigned) {
            boxes.push_back(text);
            return IDOK;
        };
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
        fw::TApplication::MessageBoxHook = savedHook_;
    }
    // A panel on the form at (0, 0).
    Panel* NewHost(int width = 200, int height = 100) {
        auto* host = new Panel(form);
        host->SetBounds(0, 0, width, height);
        host->SetParent(form);
        return host;
    }
    Swatch* NewSwatch(fw::TWinControl* parent, int left, int top, int width, int height) {
        auto* s = new Swatch(form);
        s->SetBounds(left, top, width, height);
        s->SetParent(parent);
        return s;
    }
    fw::TForm* form = nullptr;
    std::vector<std::wstring> boxes;

private:
    decltype(fw::TApplication::MessageBoxHook) savedHook_;
};

// --- Component messages ---------------------------------------------------------

TEST_F(ControlsTest, PropertyChangesRaiseTheirComponentMessagesOnce) {
    auto* c = NewHost();
    c->log.clear();
    c->SetEnabled(false);
    c->SetEnabled(false);
    c->SetText(L"abc");
    c->SetText(L"abc");
    c->Font()->SetStyle(fw::fsBold);
    c->SetColor(fw::clYellow);
    c->SetVisible(false);
    c->SetShowHint(true);
    c->SetCursor(fw::crHandPoint);
    for (UINT msg : {fw::CM_ENABLEDCHANGED, fw::CM_TEXTCHANGED, fw::CM_FONTCHANGED, fw::CM_COLORCHANGED,
                     fw::CM_VISIBLECHANGED, fw::CM_SHOWHINTCHANGED, fw::CM_CURSORCHANGED})
        EXPECT_EQ(c->Count(msg), 1) << std::hex << msg;
    EXPECT_EQ(c->Text(), L"abc");
}

TEST_F(ControlsTest, ParentFontAndColourFlowToChildrenThatFollowThem) {
    auto* parent = NewHost();
    auto* follower = new Panel(form);
    follower->SetParent(parent);
    auto* own = new Panel(form);
    own->SetParent(parent);
    own->Font()->SetName(L"Courier New");
    own->SetColor(fw::clLime);
    EXPECT_FALSE(own->ParentFont());
    EXPECT_FALSE(own->ParentColor());

    follower->log.clear();
    parent->Font()->SetHeight(-20);
    parent->SetColor(fw::clAqua);
    EXPECT_EQ(follower->Font()->Height(), -20);
    EXPECT_EQ(follower->Color(), fw::clAqua);
    EXPECT_TRUE(follower->ParentFont());
    EXPECT_TRUE(follower->ParentColor());
    EXPECT_EQ(follower->Count(fw::CM_PARENTFONTCHANGED), 1);
    EXPECT_EQ(follower->Count(fw::CM_PARENTCOLORCHANGED), 1);
    EXPECT_EQ(own->Font()->Name(), L"Courier New");
    EXPECT_EQ(own->Font()->Height(), -11);
    EXPECT_EQ(own->Color(), fw::clLime);

    // Following the parent again takes its font at once.
    own->SetParentFont(true);
    EXPECT_EQ(own->Font()->Height(), -20);
    EXPECT_EQ(own->Font()->Name(), parent->Font()->Name());
}

TEST_F(ControlsTest, InsertRemoveAndFreeingKeepTheParentInformed) {
    auto* parent = NewHost();
    auto* child = new Swatch(form);
    parent->log.clear();
    child->SetParent(parent);
    child->SetParent(nullptr);
    std::vector<std::pair<UINT, LPARAM>> seen;
    for (const TMessage& m : parent->log)
        if (m.Msg == fw::CM_CONTROLCHANGE || m.Msg == fw::CM_CONTROLLISTCHANGE) {
            EXPECT_EQ(m.WParam, reinterpret_cast<WPARAM>(child));
            seen.push_back({m.Msg, m.LParam});
        }
    const std::vector<std::pair<UINT, LPARAM>> expected = {{fw::CM_CONTROLLISTCHANGE, 1},
                                                           {fw::CM_CONTROLCHANGE, 1},
                                                           {fw::CM_CONTROLCHANGE, 0},
                                                           {fw::CM_CONTROLLISTCHANGE, 0}};
    EXPECT_EQ(seen, expected);
    delete child;

    // Children leave the parent when freed, and are freed with it.
    auto* a = new Swatch(nullptr);
    a->SetParent(parent);
    auto* b = new Panel(nullptr);
    b->SetParent(parent);
    ASSERT_EQ(parent->ControlCount(), 2);
    delete a;
    ASSERT_EQ(parent->ControlCount(), 1);
    EXPECT_EQ(parent->Controls(0), b);
    delete parent;  // frees b, which it held without owning
    EXPECT_EQ(form->ControlCount(), 0);
}

// --- Layout -------------------------------------------------------------------------

TEST_F(ControlsTest, AlignPlacesTopBottomLeftRightThenClientInCreationOrder) {
    auto* host = new Panel(form);
    host->SetBounds(0, 0, 400, 300);
    const auto aligned = [&](fw::TControl* c, int width, int height, fw::TAlign align) {
        c->SetBounds(0, 0, width, height);
        c->SetAlign(align);
        return c;
    };
    auto* client = aligned(new Swatch(form), 0, 0, fw::alClient);
    auto* top1 = aligned(new Swatch(form), 10, 30, fw::alTop);
    auto* left = aligned(new Swatch(form), 50, 10, fw::alLeft);
    auto* top2 = aligned(new Panel(form), 10, 25, fw::alTop);
    auto* bottom = aligned(new Swatch(form), 10, 20, fw::alBottom);
    auto* right = aligned(new Swatch(form), 60, 10, fw::alRight);
    // Parented in a shuffled order: creation order decides.
    for (fw::TControl* c : std::vector<fw::TControl*>{right, client, bottom, top2, left, top1}) c->SetParent(host);

    EXPECT_RECT(top1->BoundsRect(), 0, 0, 400, 30);
    EXPECT_RECT(top2->BoundsRect(), 0, 30, 400, 55);
    EXPECT_RECT(bottom->BoundsRect(), 0, 280, 400, 300);
    EXPECT_RECT(left->BoundsRect(), 0, 55, 50, 280);
    EXPECT_RECT(right->BoundsRect(), 340, 55, 400, 280);
    EXPECT_RECT(client->BoundsRect(), 50, 55, 340, 280);

    host->SetBounds(0, 0, 500, 400);
    EXPECT_RECT(top2->BoundsRect(), 0, 30, 500, 55);
    EXPECT_RECT(bottom->BoundsRect(), 0, 380, 500, 400);
    EXPECT_RECT(right->BoundsRect(), 440, 55, 500, 380);
    EXPECT_RECT(client->BoundsRect(), 50, 55, 440, 380);

    // A hidden aligned control leaves its place to the others.
    top1->SetVisible(false);
    EXPECT_RECT(top2->BoundsRect(), 0, 0, 500, 25);
    EXPECT_RECT(client->BoundsRect(), 50, 25, 440, 380);
    // A resized aligned control pushes its neighbours.
    left->SetWidth(80);
    EXPECT_RECT(client->BoundsRect(), 80, 25, 440, 380);
}

TEST_F(ControlsTest, AlignWaitsWhileDisabledAndFollowsTheWindowSize) {
    auto* host = NewHost();
    host->SetAlign(fw::alClient);
    auto* top = new Swatch(form);
    top->SetHeight(10);
    top->SetParent(host);
    host->DisableAlign();
    top->SetAlign(fw::alTop);
    EXPECT_EQ(top->Width(), 0);
    host->EnableAlign();
    EXPECT_EQ(top->Width(), host->ClientWidth());

    form->Show();
    // The form's client area holds the host; resizing the window lays it out again.
    EXPECT_EQ(host->Width(), form->ClientWidth());
    EXPECT_EQ(host->Height(), form->ClientHeight());
    SetWindowPos(form->Handle(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(host->Width(), client.right);
    EXPECT_EQ(host->Height(), client.bottom);
    EXPECT_EQ(top->Width(), client.right);
}

// --- Windows --------------------------------------------------------------------------

TEST_F(ControlsTest, VisibleEnabledAndCaptionForwardToTheWindow) {
    auto* c = new Panel(form);
    c->SetText(L"before");
    c->SetBounds(10, 20, 100, 50);
    c->SetParent(form);
    EXPECT_FALSE(c->HandleAllocated());
    form->Show();
    ASSERT_TRUE(c->HandleAllocated());
    HWND h = c->Handle();
    EXPECT_EQ(GetParent(h), form->Handle());
    EXPECT_EQ(WindowText(h), L"before");
    EXPECT_TRUE(IsWindowVisible(h));
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_RECT(r, 10, 20, 110, 70);

    c->SetText(L"after");
    EXPECT_EQ(WindowText(h), L"after");
    SetWindowTextW(h, L"typed");
    EXPECT_EQ(c->Caption(), L"typed");
    c->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(h));
    c->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(h));
    c->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(h));
    c->SetBounds(5, 6, 70, 40);
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 70);

    // Bounds the window takes by itself come back into the object.
    MoveWindow(h, 1, 2, 30, 40, TRUE);
    EXPECT_RECT(c->BoundsRect(), 1, 2, 31, 42);
    // A child without a parent window cannot make its own.
    Panel orphan(nullptr);
    EXPECT_THROW(orphan.Handle(), fw::EInvalidOperation);
}

TEST_F(ControlsTest, RecreateWndKeepsCaptionBoundsVisibilityAndChildren) {
    auto* outer = new Panel(form);
    outer->SetBounds(10, 10, 200, 150);
    outer->SetText(L"outer");
    outer->SetParent(form);
    auto* inner = new Edit(form);
    inner->SetBounds(5, 5, 120, 22);
    inner->SetParent(outer);
    auto* hidden = new Panel(form);
    hidden->SetVisible(false);
    hidden->SetParent(outer);
    form->Show();
    HWND oldOuter = outer->Handle();
    HWND oldInner = inner->Handle();
    SetWindowTextW(oldInner, L"typed text");
    outer->Font()->SetHeight(-15);

    outer->RecreateWnd();
    ASSERT_TRUE(outer->HandleAllocated());
    ASSERT_TRUE(inner->HandleAllocated());
    EXPECT_FALSE(IsWindow(oldOuter));
    EXPECT_FALSE(IsWindow(oldInner));
    EXPECT_EQ(GetParent(inner->Handle()), outer->Handle());
    EXPECT_EQ(GetParent(outer->Handle()), form->Handle());
    EXPECT_EQ(WindowText(outer->Handle()), L"outer");
    EXPECT_EQ(WindowText(inner->Handle()), L"typed text");
    EXPECT_TRUE(IsWindowVisible(inner->Handle()));
    EXPECT_RECT(outer->BoundsRect(), 10, 10, 210, 160);
    EXPECT_RECT(inner->BoundsRect(), 5, 5, 125, 27);
    EXPECT_FALSE(hidden->Showing());
    // The new window uses the control's font (the edit class keeps it).
    EXPECT_EQ(inner->Font()->Height(), -15);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(inner->Handle(), WM_GETFONT, 0, 0)), inner->Font()->Handle());
    // The text outlives a window destroyed on its own.
    inner->DestroyHandle();
    EXPECT_FALSE(inner->HandleAllocated());
    EXPECT_EQ(inner->Text(), L"typed text");
    EXPECT_EQ(WindowText(inner->Handle()), L"typed text");
}

TEST_F(ControlsTest, SystemClassWindowsAnswerAndReflectTheirNotifications) {
    auto* edit = new Edit(form);
    edit->SetParent(form);
    form->Show();
    // The EDIT class's own procedure answers what the control leaves alone.
    SendMessageW(edit->Handle(), EM_LIMITTEXT, 7, 0);
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 7);
    edit->log.clear();
    edit->SetText(L"x");
    // EN_CHANGE reaches the form as WM_COMMAND and comes back to the edit as CN_COMMAND.
    bool change = false;
    for (const TMessage& m : edit->log)
        if (m.Msg == fw::CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE &&
            m.LParam == reinterpret_cast<LPARAM>(edit->Handle()))
            change = true;
    EXPECT_TRUE(change);
    // Colour requests are answered with the control's brush.
    HDC dc = GetDC(edit->Handle());
    const LRESULT brush = SendMessageW(form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(edit->Handle()));
    ReleaseDC(edit->Handle(), dc);
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(edit->Brush()->Handle()));
    EXPECT_EQ(edit->Count(fw::CN_CTLCOLOREDIT), 1);
}

// --- Mouse --------------------------------------------------------------------------

LPARAM At(int x, int y) {
    return MAKELPARAM(WORD(x), WORD(y));
}

TEST_F(ControlsTest, TheParentTracksWhichWindowlessChildIsUnderTheMouse) {
    auto* host = NewHost();
    auto* a = NewSwatch(host, 10, 10, 40, 40);
    auto* b = NewSwatch(host, 60, 10, 40, 40);
    form->Show();
    HWND h = host->Handle();
    SendMessageW(h, WM_MOUSEMOVE, 0, At(20, 20));
    EXPECT_EQ(a->Count(fw::CM_MOUSEENTER), 1);
    SendMessageW(h, WM_MOUSEMOVE, 0, At(25, 20));
    EXPECT_EQ(a->Count(fw::CM_MOUSEENTER), 1);
    SendMessageW(h, WM_MOUSEMOVE, 0, At(70, 20));
    EXPECT_EQ(a->Count(fw::CM_MOUSELEAVE), 1);
    EXPECT_EQ(b->Count(fw::CM_MOUSEENTER), 1);
    SendMessageW(h, WM_MOUSEMOVE, 0, At(150, 80));
    EXPECT_EQ(b->Count(fw::CM_MOUSELEAVE), 1);
    SendMessageW(h, WM_MOUSEMOVE, 0, At(20, 20));
    SendMessageW(h, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(a->Count(fw::CM_MOUSEENTER), 2);
    EXPECT_EQ(a->Count(fw::CM_MOUSELEAVE), 2);
    // The moves themselves reach the child under the mouse in its own coordinates.
    ASSERT_FALSE(a->moves.empty());
    EXPECT_EQ(a->moves.front().x, 10);
    EXPECT_EQ(a->moves.front().y, 10);

    // The host's own enter and leave come from tracking: one leave per entry.
    EXPECT_EQ(host->Count(fw::CM_MOUSEENTER), 1);
    EXPECT_EQ(host->Count(fw::CM_MOUSELEAVE), 1);
    SendMessageW(h, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(host->Count(fw::CM_MOUSELEAVE), 1);
    SendMessageW(h, WM_MOUSEMOVE, 0, At(150, 80));
    EXPECT_EQ(host->Count(fw::CM_MOUSEENTER), 2);
    for (const TMessage& m : host->log) {
        if (m.Msg == fw::CM_MOUSEENTER || m.Msg == fw::CM_MOUSELEAVE) {
            EXPECT_EQ(m.LParam, reinterpret_cast<LPARAM>(host));
        }
    }
}

TEST_F(ControlsTest, AWindowlessChildGetsItsPressAndHoldsTheMouseUntilRelease) {
    auto* host = NewHost();
    auto* s = NewSwatch(host, 30, 20, 50, 40);
    int clicks = 0, doubles = 0;
    s->OnClick = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, s);
        ++clicks;
    };
    s->OnDblClick = [&](fw::TObject*) { ++doubles; };
    POINT popupAt{-1, -1};
    s->OnContextPopup = [&](fw::TObject*, POINT p, bool& handled) {
        popupAt = p;
        handled = true;
    };
    form->Show();
    HWND h = host->Handle();

    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 25));
    ASSERT_EQ(s->downs.size(), 1u);
    EXPECT_EQ(s->downs[0].x, 5);
    EXPECT_EQ(s->downs[0].y, 5);
    EXPECT_EQ(GetCapture(), h);
    EXPECT_TRUE(s->MouseCapture());
    EXPECT_EQ(fw::GetCaptureControl(), s);
    // Captured: moves outside still go to the child, in its coordinates.
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At(150, 90));
    ASSERT_FALSE(s->moves.empty());
    EXPECT_EQ(s->moves.back().x, 120);
    EXPECT_EQ(s->moves.back().y, 70);
    SendMessageW(h, WM_LBUTTONUP, 0, At(40, 30));
    ASSERT_EQ(s->ups.size(), 1u);
    EXPECT_EQ(s->ups[0].x, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(s->MouseCapture());
    EXPECT_EQ(GetCapture(), nullptr);

    // Released outside: no click, but the release still comes to the child.
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 25));
    SendMessageW(h, WM_LBUTTONUP, 0, At(190, 95));
    EXPECT_EQ(s->ups.size(), 2u);
    EXPECT_EQ(s->ups[1].x, 160);
    EXPECT_EQ(clicks, 1);

    // Cancel mode ends a press without a click.
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 25));
    ASSERT_TRUE(s->MouseCapture());
    SendMessageW(h, WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(s->MouseCapture());
    EXPECT_EQ(s->ups.size(), 3u);
    EXPECT_EQ(clicks, 1);

    // Double clicks need the style; without it the second press is a plain press.
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, At(35, 25));
    SendMessageW(h, WM_LBUTTONUP, 0, At(35, 25));
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(clicks, 1);
    s->SetControlStyle(s->ControlStyle() & ~fw::csDoubleClicks);
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, At(35, 25));
    SendMessageW(h, WM_LBUTTONUP, 0, At(35, 25));
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(clicks, 2);

    // A disabled child is not under the mouse: the host gets the press itself.
    const size_t downs = s->downs.size();
    s->SetEnabled(false);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 25));
    SendMessageW(h, WM_LBUTTONUP, 0, At(35, 25));
    EXPECT_EQ(s->downs.size(), downs);
    ReleaseCapture();

    // A context menu request reaches the child under the mouse, in its coordinates.
    s->SetEnabled(true);
    const POINT screen = host->ClientToScreen(POINT{33, 24});
    EXPECT_EQ(SendMessageW(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), At(screen.x, screen.y)), 1);
    EXPECT_EQ(popupAt.x, 3);
    EXPECT_EQ(popupAt.y, 4);
}

TEST_F(ControlsTest, AnExceptionInAHandlerGoesToTheApplicationNotTheSystem) {
    auto* host = NewHost();
    NewSwatch(host, 0, 0, 50, 50)->OnClick = [](fw::TObject*) { throw fw::EInvalidArgument(L"boom"); };
    form->Show();
    SendMessageW(host->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    SendMessageW(host->Handle(), WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"boom"});
    ReleaseCapture();
}

TEST_F(ControlsTest, ControlAtPosHonoursVisibilityEnablingAndZOrder) {
    auto* host = NewHost();
    auto* below = NewSwatch(host, 0, 0, 100, 100);
    auto* above = NewSwatch(host, 50, 0, 100, 100);
    EXPECT_EQ(host->ControlAtPos(POINT{60, 10}, false), above);
    EXPECT_EQ(host->ControlAtPos(POINT{10, 10}, false), below);
    EXPECT_EQ(host->ControlAtPos(POINT{199, 10}, false), nullptr);
    below->BringToFront();
    EXPECT_EQ(host->ControlAtPos(POINT{60, 10}, false), below);
    below->SetEnabled(false);
    EXPECT_EQ(host->ControlAtPos(POINT{60, 10}, false), above);
    EXPECT_EQ(host->ControlAtPos(POINT{60, 10}, true), below);
    below->SetVisible(false);
    EXPECT_EQ(host->ControlAtPos(POINT{60, 10}, true), above);
}

// --- Painting -------------------------------------------------------------------------

TEST_F(ControlsTest, TheParentPaintsItsWindowlessChildrenAtTheirPlace) {
    auto* host = NewHost(60, 40);
    host->SetColor(fw::clWhite);
    auto* s = NewSwatch(host, 10, 5, 20, 10);
    s->fill = fw::clBlue;
    auto* hidden = NewSwatch(host, 40, 20, 10, 10);
    hidden->SetVisible(false);
    form->Show();

    fw::TBitmap bitmap(60, 40);
    HDC dc = bitmap.Canvas()->Handle();
    const RECT all{0, 0, 60, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    s->paints = 0;
    SendMessageW(host->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(host->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(s->paints, 1);
    EXPECT_EQ(hidden->paints, 0);
    EXPECT_EQ(GetPixel(dc, 10, 5), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 29, 14), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 30, 14), RGB(255, 255, 255));  // clipped to its bounds
    EXPECT_EQ(GetPixel(dc, 9, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 45, 25), RGB(255, 255, 255));
    // Printing the client area (how a themed child gets its parent's background) is the same.
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SendMessageW(host->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(GetPixel(dc, 10, 5), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 45, 25), RGB(255, 255, 255));
    // A windowless control without any window measures text all the same.
    Swatch loose(nullptr);
    EXPECT_GT(loose.Canvas()->TextWidth(L"Measure me"), 30);
    fw::FreeDeviceContexts();
    EXPECT_FALSE(loose.Canvas()->HandleAllocated());
}

TEST_F(ControlsTest, ACustomControlPaintsOnItsCanvasAndLetsGoOfTheContextEvenWhenPaintThrows) {
    class Painter : public fw::TCustomControl {
    public:
        using TCustomControl::TCustomControl;
        int paints = 0;
        bool fail = false;

    protected:
        void Paint() override {
            ++paints;
            if (fail) throw fw::EInvalidArgument(L"paint failed");
            Canvas()->Brush()->SetColor(fw::clGreen);
            Canvas()->FillRect(RECT{2, 2, 8, 8});
        }
    };
    auto* p = new Painter(form);
    p->SetBounds(0, 0, 20, 20);
    p->SetParent(form);
    NewSwatch(p, 12, 12, 5, 5);
    form->Show();
    p->Repaint();
    EXPECT_GE(p->paints, 1);
    fw::TBitmap bitmap(20, 20);
    SendMessageW(p->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(bitmap.Canvas()->Handle()), 0);
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 2), fw::clGreen);
    EXPECT_EQ(bitmap.Canvas()->Pixels(7, 7), fw::clGreen);
    EXPECT_FALSE(p->Canvas()->HandleAllocated());

    // A failing paint is reported once; no saved state is left on the caller's context.
    p->fail = true;
    const fw::DCHandle dc(CreateCompatibleDC(nullptr));
    SendMessageW(p->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc.get()), 0);
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"paint failed"});
    EXPECT_EQ(SaveDC(dc.get()), 1);
    EXPECT_FALSE(p->Canvas()->HandleAllocated());
}

// --- Keys and notifications ----------------------------------------------------------

TEST_F(ControlsTest, BroadcastStopsAtTheFirstAnswer) {
    class Answering : public fw::TGraphicControl {
    public:
        using TGraphicControl::TGraphicControl;
        int seen = 0;
        LRESULT answer = 0;
        void WndProc(TMessage& m) override {
            if (m.Msg == fw::CM_BUTTONPRESSED) {
                ++seen;
                m.Result = answer;
                return;
            }
            TGraphicControl::WndProc(m);
        }
    };
    auto* a = new Answering(form);
    auto* b = new Answering(form);
    auto* c = new Answering(form);
    for (auto* x : {a, b, c}) x->SetParent(form);
    b->answer = 1;
    TMessage m{fw::CM_BUTTONPRESSED, 7, 0, 0};
    form->Broadcast(m);
    EXPECT_EQ(a->seen, 1);
    EXPECT_EQ(b->seen, 1);
    EXPECT_EQ(c->seen, 0);
    EXPECT_EQ(m.Result, 1);
}

TEST_F(ControlsTest, KeysReachTheFocusedControlAndTabMovesTheFocus) {
    // Key data and shift states convert both ways.
    EXPECT_EQ(fw::ShiftStateToKeyData(fw::ssAlt), 0x20000000);
    EXPECT_EQ(fw::ShiftStateToKeyData(fw::ssCtrl | fw::ssShift), 0x18000000);
    EXPECT_TRUE(fw::KeyDataToShiftState(0x20000000) & fw::ssAlt);
    EXPECT_EQ(fw::KeyDataToShiftState(fw::ShiftStateToKeyData(fw::ssAlt | fw::ssCtrl | fw::ssShift)),
              fw::ssAlt | fw::ssCtrl | fw::ssShift);
    auto* first = new Edit(form);
    first->SetParent(form);
    auto* second = new Edit(form);
    second->SetTop(30);
    second->SetParent(form);
    std::vector<std::wstring> events;
    first->OnExit = [&](fw::TObject*) { events.push_back(L"exit first"); };
    second->OnEnter = [&](fw::TObject*) { events.push_back(L"enter second"); };
    WORD seenKey = 0;
    first->OnKeyDown = [&](fw::TObject*, WORD& key, fw::TShiftState) { seenKey = key; };
    form->Show();
    first->SetFocus();
    fw::Application()->ProcessMessages();
    if (!first->Focused()) GTEST_SKIP() << "the test display gives no focus to the window";
    EXPECT_EQ(form->ActiveControl(), first);

    SendMessageW(first->Handle(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(seenKey, 'A');

    MSG tab{first->Handle(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(fw::IsKeyMsg(tab));
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(form->ActiveControl(), second);
    const std::vector<std::wstring> expected{L"exit first", L"enter second"};
    EXPECT_EQ(events, expected);
    // A plain letter is not a dialog key: it goes on to the control.
    MSG letter{second->Handle(), WM_KEYDOWN, 'B', 0, 0, {0, 0}};
    EXPECT_FALSE(fw::IsKeyMsg(letter));
    // A control that can no longer hold the focus gives it up.
    second->SetVisible(false);
    EXPECT_EQ(form->ActiveControl(), nullptr);
}

TEST_F(ControlsTest, FocusNeverLandsOnAControlBeingDestroyed) {
    // A panel that frees its components first in its own destructor, while it is
    // still whole, as controls with inner children do.
    class OwningPanel : public Panel {
    public:
        OwningPanel(fw::TComponent* owner, int* focusWhileDying) : Panel(owner), focusWhileDying_(focusWhileDying) {}
        ~OwningPanel() override { DestroyComponents(); }
        void WndProc(TMessage& m) override {
            if (m.Msg == WM_SETFOCUS && HasState(fw::csDestroying)) ++*focusWhileDying_;
            Panel::WndProc(m);
        }

    private:
        int* focusWhileDying_;
    };
    int focusWhileDying = 0;
    auto* panel = new OwningPanel(form, &focusWhileDying);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetParent(form);
    auto* edit = new Edit(panel);
    edit->SetParent(panel);
    form->Show();
    edit->SetFocus();
    fw::Application()->ProcessMessages();
    if (!edit->Focused()) GTEST_SKIP() << "the test display gives no focus to the window";
    delete panel;
    EXPECT_EQ(focusWhileDying, 0);
    EXPECT_EQ(GetFocus(), form->Handle());
    EXPECT_EQ(form->ActiveControl(), nullptr);
}

}  // namespace
