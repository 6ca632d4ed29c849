#pragma once
// TStatusBar: a row of text panels over the system's status-bar class
// (msctls_statusbar32), aligned to the bottom of its parent by default.
// Created with an owner and placed with SetParent; it owns its Panels, which
// live in the object and are handed to the window whenever they change or the
// window is made. A panel of style psOwnerDraw is drawn by DrawPanel
// (OnDrawPanel) on the bar's Canvas, bound to the panel's device context while
// the window asks for the drawing. The last panel reaches the right edge.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"

namespace fw {

class TStatusBar;

enum TStatusPanelStyle {
    psText,
    psOwnerDraw
};
enum TStatusPanelBevel {
    pbNone,
    pbLowered,
    pbRaised
};

// One panel; belongs to the bar's TStatusPanels.
class TStatusPanel {
public:
    explicit TStatusPanel(TStatusBar* Bar) : bar_(Bar) {}

    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& Value);
    // 50 by default.
    int Width() const { return width_; }
    void SetWidth(int Value);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle Value);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    // The panel's place in the bar (-1 once it has left it).
    int Index() const;

private:
    friend class TStatusBar;
    friend class TStatusPanels;
    TStatusBar* bar_;
    std::wstring text_;
    int width_ = 50;
    TStatusPanelStyle style_ = psText;
    TStatusPanelBevel bevel_ = pbLowered;
    TAlignment alignment_ = taLeftJustify;
};

class TStatusPanels {
public:
    explicit TStatusPanels(TStatusBar* Bar) : bar_(Bar) {}

    int Count() const { return int(items_.size()); }
    // EListError for an index outside the list.
    TStatusPanel* Items(int Index) const;
    TStatusPanel* operator[](int Index) const { return Items(Index); }
    TStatusPanel* Add();
    void Delete(int Index);
    void Clear();
    int IndexOf(const TStatusPanel* Panel) const;

private:
    TStatusBar* bar_;
    std::vector<std::unique_ptr<TStatusPanel>> items_;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const RECT& Rect)>;

class TStatusBar : public TWinControl {
public:
    // Aligned to the bottom, 19 high, no panels, simple panel off.
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return panels_.get(); }
    // One text over the whole bar instead of the panels.
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool Value);
    const std::wstring& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::wstring& Value);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool Value);
    // The panel's rectangle in the bar's client area (empty without a window).
    RECT PanelRect(int Index);

    TCanvas* Canvas() const { return canvas_.get(); }

    TDrawPanelEvent OnDrawPanel;

    void WndProc(TMessage& Message) override;
    // Hands the panels (edges, texts, styles) to the window.
    void UpdatePanels();

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // Draws an owner-drawn panel: OnDrawPanel, or the brush and the text.
    virtual void DrawPanel(TStatusPanel* Panel, const RECT& Rect);
    std::wstring ClassName() const override { return L"TStatusBar"; }

private:
    void UpdatePanel(int Index);
    void HandleDrawItem(TMessage& Message);

    std::unique_ptr<TStatusPanels> panels_;
    std::unique_ptr<TControlCanvas> canvas_;
    bool simplePanel_ = false;
    std::wstring simpleText_;
    bool sizeGrip_ = false;
};

}  // namespace fw
