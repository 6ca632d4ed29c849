// The extended-control bases (component messages as operations, hint colour,
// mouse enter and leave) and the theme routines.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "controls/VxExControls.h"
#include "controls/VxExGrids.h"
#include "controls/VxThemes.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Filer.h"

namespace {

using fw::TMessage;

// Records what reaches the framework's own window procedure under a member.
class RecordingGraphic : public fw::TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    std::vector<TMessage> seen;
    void WndProc(TMessage& m) override {
        if (m.Msg >= fw::CM_BASE && m.Msg < fw::CM_BASE + 0x1000) seen.push_back(m);
        if (m.Msg == fw::CM_HINTSHOW) {
            m.Result = 0;
            return;
        }
        TGraphicControl::WndProc(m);
    }
};

class Member : public vx::TVxExCommon<RecordingGraphic> {
public:
    using TVxExCommon::TVxExCommon;
    std::vector<std::string> calls;
    using TVxExCommon::WantKey;

protected:
    void VisibleChanged() override {
        calls.push_back("visible");
        TVxExCommon::VisibleChanged();
    }
};

TEST(VxExBases, ComponentMessagesBecomeOperationsAndReachTheBase) {
    Member m(nullptr);
    m.SetVisible(false);
    ASSERT_EQ(m.calls.size(), 1u);
    EXPECT_EQ(m.calls[0], "visible");
    ASSERT_FALSE(m.seen.empty());
    EXPECT_EQ(m.seen.back().Msg, fw::CM_VISIBLECHANGED);
    EXPECT_EQ(m.seen.back().WParam, 0u);  // the base gets the message's own parameters
    int fired = 0;
    m.OnParentColorChange = [&](fw::TObject*) { ++fired; };
    m.Perform(fw::CM_PARENTCOLORCHANGED, 0, LPARAM(0));
    EXPECT_EQ(fired, 1);

    m.seen.clear();
    m.WantKey(L'X', fw::ssAlt, L"X");  // asks through a dialog character with Alt's key data
    ASSERT_EQ(m.seen.size(), 1u);
    EXPECT_EQ(m.seen[0].Msg, fw::CM_DIALOGCHAR);
    EXPECT_EQ(m.seen[0].WParam, WPARAM(L'X'));
    EXPECT_EQ(m.seen[0].LParam, LPARAM(0x20000000));

    // Mouse enter and leave keep the flag and fire in order.
    std::vector<std::string> order;
    m.OnMouseEnter = [&](fw::TObject*) { order.push_back(m.MouseOver() ? "enter(over)" : "enter"); };
    m.OnMouseLeave = [&](fw::TObject*) { order.push_back(m.MouseOver() ? "leave(over)" : "leave"); };
    m.seen.clear();
    m.Perform(fw::CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(&m));
    EXPECT_TRUE(m.MouseOver());
    m.Perform(fw::CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(&m));
    EXPECT_FALSE(m.MouseOver());
    EXPECT_EQ(order, (std::vector<std::string>{"enter(over)", "leave"}));
    ASSERT_EQ(m.seen.size(), 2u);
    EXPECT_EQ(m.seen[0].Msg, fw::CM_MOUSEENTER);
}

TEST(VxExBases, HintColourDefaultTakesTheParentsColour) {
    vx::TVxExGraphicControl child(nullptr);
    fw::THintInfo info;
    info.HintColor = fw::clYellow;
    child.Perform(fw::CM_HINTSHOW, 0, &info);
    EXPECT_EQ(info.HintColor, fw::clYellow);  // no parent: left as it was

    vx::TVxExStringGrid parent(nullptr);  // a windowed parent with a hint colour of its own
    parent.SetHintColor(fw::clRed);
    child.SetParent(&parent);
    child.Perform(fw::CM_HINTSHOW, 0, &info);
    EXPECT_EQ(info.HintColor, fw::clRed);

    child.SetHintColor(fw::clNone);
    fw::Application()->SetHintColor(fw::clAqua);
    child.Perform(fw::CM_HINTSHOW, 0, &info);
    fw::Application()->SetHintColor(fw::clInfoBk);
    EXPECT_EQ(info.HintColor, fw::clAqua);  // the application's hint colour

    child.SetHintColor(fw::clLime);
    child.Perform(fw::CM_HINTSHOW, 0, &info);
    EXPECT_EQ(info.HintColor, fw::clLime);
    child.SetParent(nullptr);
}

// A member whose class carries the library's marker.
class MarkedMember : public vx::TVxExGraphicControl, public vx::IVxExControlMarker {
public:
    using TVxExGraphicControl::TVxExGraphicControl;
};

TEST(VxExBases, MarkerQueryAboutInfoAndStreamedHintColour) {
    vx::TVxExGraphicControl plain(nullptr);
    MarkedMember marked(nullptr);
    EXPECT_EQ(plain.Perform(vx::CM_ISVXLCONTROL, 0, LPARAM(0)), 0);
    EXPECT_EQ(marked.Perform(vx::CM_ISVXLCONTROL, 0, LPARAM(0)), 1);

    // The record reaches the base through a structure message and back.
    Member m(nullptr);
    fw::THintInfo info;
    vx::TStructPtrMessage message(fw::CM_HINTSHOW, 0, &info);
    m.BaseWndProc(message);
    ASSERT_FALSE(m.seen.empty());
    EXPECT_EQ(m.seen.back().LParam, LPARAM(&info));

    // HintColor is written when set; AboutVXL is read and never written.
    fw::TMemoryStream stream;
    {
        fw::TWriter w(&stream);
        plain.SetHintColor(fw::clRed);
        w.WriteProperties(&plain);
        // Passed over whatever it holds, however deep.
        w.WritePropName(L"AboutVXL");
        for (int i = 0; i < 20000; ++i) w.WriteListBegin();
        w.WriteString(L"(About)");
        for (int i = 0; i < 20000; ++i) w.WriteListEnd();
        w.WriteListEnd();
    }
    const std::string bytes(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    EXPECT_EQ(bytes.find(std::string(reinterpret_cast<const char*>(L"AboutVXL"), 16)),
              bytes.rfind(std::string(reinterpret_cast<const char*>(L"AboutVXL"), 16)));  // only the one added
    stream.SetPosition(0);
    fw::TReader r(&stream);
    vx::TVxExGraphicControl copy(nullptr);
    r.ReadProperties(&copy);
    EXPECT_EQ(copy.HintColor(), fw::clRed);
}

bool SamePixels(fw::TBitmap& a, fw::TBitmap& b) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y)) return false;
    return true;
}

TEST(VxExThemes, FrameIsThemedOnlyWhenThemesAreOnAndNotFlat) {
    const struct {
        bool themes;
        UINT state;
        bool classic;
    } cases[] = {{true, DFCS_BUTTONPUSH | DFCS_FLAT, true},
                 {true, DFCS_BUTTONPUSH, false},
                 {false, DFCS_BUTTONPUSH | DFCS_PUSHED, true}};
    for (const auto& k : cases) {
        if (!k.classic && !vx::ThemeServices()->ThemesAvailable()) continue;  // no visual theme is active
        vx::ThemeServices()->SetEnabled(k.themes);
        fw::TBitmap drawn(40, 20), classic(40, 20);
        RECT r1{0, 0, 40, 20}, r2{0, 0, 40, 20};
        EXPECT_NE(vx::DrawThemedFrameControl(drawn.Canvas()->Handle(), r1, DFC_BUTTON, k.state), 0);
        DrawFrameControl(classic.Canvas()->Handle(), &r2, DFC_BUTTON, k.state);
        EXPECT_EQ(SamePixels(drawn, classic), k.classic) << "themes " << k.themes << " state " << k.state;
    }
    vx::ThemeServices()->SetEnabled(true);
}

}  // namespace
