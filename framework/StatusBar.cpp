#include "framework/StatusBar.h"

#include <commctrl.h>

#include "framework/Exception.h"

namespace fw {

// --- TStatusPanel -----------------------------------------------------------------

void TStatusPanel::SetText(const std::wstring& Value) {
    if (Value == text_) return;
    text_ = Value;
    if (bar_) bar_->UpdatePanels();
}

void TStatusPanel::SetWidth(int Value) {
    if (Value == width_) return;
    width_ = Value;
    if (bar_) bar_->UpdatePanels();
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    if (bar_) bar_->UpdatePanels();
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
    if (Value == bevel_) return;
    bevel_ = Value;
    if (bar_) bar_->UpdatePanels();
}

void TStatusPanel::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    if (bar_) bar_->UpdatePanels();
}

int TStatusPanel::Index() const {
    return bar_ ? bar_->Panels()->IndexOf(this) : -1;
}

// --- TStatusPanels ----------------------------------------------------------------

TStatusPanel* TStatusPanels::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return items_[size_t(Index)].get();
}

TStatusPanel* TStatusPanels::Add() {
    items_.push_back(std::make_unique<TStatusPanel>(bar_));
    bar_->UpdatePanels();
    return items_.back().get();
}

void TStatusPanels::Delete(int Index) {
    Items(Index)->bar_ = nullptr;
    items_.erase(items_.begin() + Index);
    bar_->UpdatePanels();
}

void TStatusPanels::Clear() {
    items_.clear();
    bar_->UpdatePanels();
}

int TStatusPanels::IndexOf(const TStatusPanel* Panel) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == Panel) return int(i);
    return -1;
}

// --- TStatusBar -------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* AOwner)
    : TWinControl(AOwner),
      panels_(std::make_unique<TStatusPanels>(this)),
      canvas_(std::make_unique<TControlCanvas>(this)) {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    controlStyle_ = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    SetColor(clBtnFace);
    SetParentColor(false);
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() {
    // The canvas goes with the object; the window (destroyed by the base) no longer uses it.
    canvas_.reset();
}

void TStatusBar::SetSimplePanel(bool Value) {
    if (Value == simplePanel_) return;
    simplePanel_ = Value;
    if (HandleAllocated()) SendMessageW(Handle(), SB_SIMPLE, Value ? TRUE : FALSE, 0);
    UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::wstring& Value) {
    if (Value == simpleText_) return;
    simpleText_ = Value;
    if (HandleAllocated())
        SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(simpleText_.c_str()));
}

void TStatusBar::SetSizeGrip(bool Value) {
    if (Value == sizeGrip_) return;
    sizeGrip_ = Value;
    RecreateWnd();
}

RECT TStatusBar::PanelRect(int Index) {
    RECT rect{};
    if (HandleAllocated()) SendMessageW(Handle(), SB_GETRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TStatusBar::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, STATUSCLASSNAMEW);
    // The layout places the bar, not the window itself.
    Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (sizeGrip_) Params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd() {
    TWinControl::CreateWnd();
    if (simplePanel_) SendMessageW(Handle(), SB_SIMPLE, TRUE, 0);
    if (!simpleText_.empty())
        SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(simpleText_.c_str()));
    UpdatePanels();
}

void TStatusBar::UpdatePanel(int Index) {
    TStatusPanel* panel = panels_->Items(Index);
    WPARAM flags = WPARAM(Index);
    if (panel->Bevel() == pbNone) flags |= SBT_NOBORDERS;
    else if (panel->Bevel() == pbRaised) flags |= SBT_POPOUT;
    if (panel->Style() == psOwnerDraw) {
        // The window keeps the panel's pointer as its item data and asks for drawing.
        SendMessageW(Handle(), SB_SETTEXTW, flags | SBT_OWNERDRAW, reinterpret_cast<LPARAM>(panel));
        return;
    }
    // The window knows no alignment of its own; tabs in front of the text give it.
    std::wstring text = panel->Text();
    if (panel->Alignment() == taCenter) text.insert(0, L"\t");
    else if (panel->Alignment() == taRightJustify) text.insert(0, L"\t\t");
    SendMessageW(Handle(), SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::UpdatePanels() {
    if (!HandleAllocated()) return;
    const int count = panels_->Count();
    if (count == 0) {
        // One empty part, so the bar still draws.
        const int edge = -1;
        SendMessageW(Handle(), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&edge));
        SendMessageW(Handle(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
        return;
    }
    std::vector<int> edges(size_t(count), -1);
    int edge = 0;
    for (int i = 0; i + 1 < count; ++i) {
        edge += panels_->Items(i)->Width();
        edges[size_t(i)] = edge;
    }
    SendMessageW(Handle(), SB_SETPARTS, WPARAM(count), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < count; ++i) UpdatePanel(i);
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const RECT& Rect) {
    if (OnDrawPanel) {
        OnDrawPanel(this, Panel, Rect);
        return;
    }
    canvas_->FillRect(Rect);
    canvas_->TextOut(Rect.left + 2, Rect.top, Panel->Text());
}

void TStatusBar::HandleDrawItem(TMessage& Message) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    const int index = int(item->itemID);
    Message.Result = 1;
    if (index < 0 || index >= panels_->Count()) return;
    canvas_->Lock();
    canvas_->SetHandle(item->hDC);
    try {
        canvas_->SetFont(Font());
        canvas_->SetBrush(Brush());
        canvas_->Brush()->SetStyle(bsSolid);
        DrawPanel(panels_->Items(index), item->rcItem);
    } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
}

void TStatusBar::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CN_DRAWITEM: HandleDrawItem(Message); return;
    case WM_SIZE:
        // The last panel follows the right edge.
        TWinControl::WndProc(Message);
        if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
        return;
    default: break;
    }
    TWinControl::WndProc(Message);
}

}  // namespace fw
