#include "app/PrintPreview.h"

#include <algorithm>
#include <cmath>

#include "framework/Exception.h"
#include "framework/Printers.h"
#include "framework/SysUtils.h"

TPrintpreview* Printpreview = nullptr;

namespace {

const wchar_t kNoPrinter[] = L"No printer is installed.";
// The largest the page is zoomed to, on either side: some thirteen times the
// paper's printer pixels at 300 dpi, far past any screen, and well inside what
// window coordinates and the system's font rasteriser take.
constexpr int kLargestPageSide = 32767;

fw::TButton* MakeButton(TPrintpreview* form, fw::TWinControl* parent, const std::wstring& caption, RECT bounds) {
    auto* button = new fw::TButton(form);
    button->SetParent(parent);
    button->SetCaption(caption);
    button->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    return button;
}

// A page button, 37 x 28 at Left: its glyph from the program's resources, or,
// in a program without them, its arrows as text.
fw::TBitBtn* MakePageButton(TPrintpreview* form, fw::TWinControl* parent, const wchar_t* glyph, const wchar_t* arrows,
                            const wchar_t* hint, int left) {
    auto* button = new fw::TBitBtn(form);
    button->SetParent(parent);
    button->SetBounds(left, 6, 37, 28);
    fw::TBitmap bitmap;
    try {
        bitmap.LoadFromResourceName(GetModuleHandleW(nullptr), glyph);
        button->SetGlyph(&bitmap);
    } catch (const fw::EInvalidGraphic&) {
        button->SetCaption(arrows);
    }
    button->SetHint(hint);
    button->SetShowHint(true);
    return button;
}

}  // namespace

TPrintpreview::TPrintpreview(fw::TComponent* AOwner) : TForm(AOwner) {
    SetCaption(L"Preview");
    SetWindowState(fw::wsMaximized);
    Font()->SetName(L"Arial");
    Font()->SetColor(fw::clBlack);
    Font()->SetHeight(-12);
    SetBounds(0, 0, 720, 560);
    BuildControls();
    OnCreate = [this](fw::TObject* Sender) { FormCreate(Sender); };
}

TPrintpreview::~TPrintpreview() {
    BeforeDestruction();
    FreePages();
    if (fw::Printer()->Printing()) fw::Printer()->Abort();
    if (Printpreview == this) Printpreview = nullptr;
}

void TPrintpreview::BuildToolbar() {
    Panel1 = new fw::TPanel(this);
    Panel1->SetParent(this);
    Panel1->SetAlign(fw::alTop);
    Panel1->SetHeight(41);
    FirstBtn = MakePageButton(this, Panel1, L"PREVIEWFIRST", L"|<", L"First", 8);
    PriorBtn = MakePageButton(this, Panel1, L"PREVIEWPRIOR", L"<", L"Previous", 46);
    NextBtn = MakePageButton(this, Panel1, L"PREVIEWNEXT", L">", L"Next", 84);
    LastBtn = MakePageButton(this, Panel1, L"PREVIEWLAST", L">|", L"Last", 122);
    PageWidthBtn = MakeButton(this, Panel1, L"Page Width", {170, 6, 80, 28});
    FullPageBtn = MakeButton(this, Panel1, L"Full Page", {254, 6, 80, 28});
    PrintBtn = MakeButton(this, Panel1, L"Print", {338, 6, 80, 28});
    Button6 = MakeButton(this, Panel1, L"Close", {422, 6, 80, 28});
    Button6->SetCancel(true);
    Button6->SetModalResult(fw::mrCancel);
    Label1 = new fw::TLabel(this);
    Label1->SetParent(Panel1);
    Label1->SetWordWrap(true);
    Label1->SetAutoSize(false);
    Label1->SetCaption(L"Left or right click image to zoom ");
    Label1->SetBounds(512, 12, 220, 20);

    FirstBtn->OnClick = [this](fw::TObject* Sender) { FirstBtnClick(Sender); };
    PriorBtn->OnClick = [this](fw::TObject* Sender) { PriorBtnClick(Sender); };
    NextBtn->OnClick = [this](fw::TObject* Sender) { NextBtnClick(Sender); };
    LastBtn->OnClick = [this](fw::TObject* Sender) { LastBtnClick(Sender); };
    PageWidthBtn->OnClick = [this](fw::TObject* Sender) { PageWidthBtnClick(Sender); };
    FullPageBtn->OnClick = [this](fw::TObject* Sender) { FullPageBtnClick(Sender); };
    PrintBtn->OnClick = [this](fw::TObject* Sender) { PrintBtnClick(Sender); };
}

void TPrintpreview::BuildControls() {
    BuildToolbar();
    Panel2 = new fw::TPanel(this);
    Panel2->SetParent(this);
    Panel2->SetAlign(fw::alBottom);
    Panel2->SetHeight(24);
    Panel2->SetAlignment(fw::taLeftJustify);

    sb = new fw::TScrollBox(this);
    sb->SetParent(this);
    sb->SetAlign(fw::alClient);
    sb->SetHorzIncrement(16);
    sb->SetVertIncrement(16);
    PaintBox1 = new fw::TPaintBox(this);
    PaintBox1->SetParent(sb);
    PaintBox1->SetColor(fw::clWhite);
    PaintBox1->SetCursor(fw::crCross);
    PaintBox1->OnPaint = [this](fw::TObject* Sender) { PaintBox1Paint(Sender); };
    PaintBox1->OnMouseDown = [this](fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
        PaintBox1MouseDown(Sender, Button, Shift, X, Y);
    };

    PrintDialog1 = new fw::TPrintDialog(this);
    PrintDialog1->OnShow = [this](fw::TObject* Sender) { PrintDialog1Show(Sender); };
    OpenDialog1 = new fw::TOpenDialog(this);
    SaveDialog1 = new fw::TSaveDialog(this);
    for (fw::TOpenDialog* dialog : {OpenDialog1, static_cast<fw::TOpenDialog*>(SaveDialog1)})
        dialog->SetFilter(L"Stream (*.stm)|*.stm|All files (*.*)|*.*");
    OpenDialog1->SetTitle(L"Select Preview file to load");
    SaveDialog1->SetTitle(L"Save Preview images as file  ");
    OpenDialog1->SetDefaultExt(L"emf");
    SaveDialog1->SetDefaultExt(L".emf");
}

void TPrintpreview::FormCreate(fw::TObject*) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    SaveDialog1->SetInitialDir(fw::ExtractFilePath(path));
    OpenDialog1->SetInitialDir(fw::ExtractFilePath(path));
    shownPage_ = 1;
    FullPageBtnClick(this);
    FreePages();
    recordingPage_ = 0;
    finished_ = false;
}

void TPrintpreview::ShowPreview() {
    if (!finished_) EndRecording();
    // The window opens maximised: lay it out at that size before fitting the page.
    RECT work{};
    if (!HandleAllocated() || !IsWindowVisible(Handle())) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        if (work.right > work.left) SetBounds(work.left, work.top, work.right - work.left, work.bottom - work.top);
    }
    FullPageBtnClick(this);
    DrawPage(1);
}

// --- Showing a page ------------------------------------------------------------------

void TPrintpreview::DrawPage(int n) {
    if (n < 1 || n > PageCount()) return;
    POINT size{};
    GetPhysicalPageSize(size);
    const double scale = double(PaintBox1->Width()) / size.x;
    fw::TCanvas* canvas = PaintBox1->Canvas();
    const int w = PaintBox1->Width(), h = PaintBox1->Height();
    canvas->Rectangle(0, 0, w, h);
    canvas->FillRect(RECT{1, 1, w - 2, h - 2});
    if (showGrid_) DrawInchGrid(size, scale);
    if (fw::TMetafile* page = PageMetafile(n)) {
        // The printable area at its place on the paper, at the paper's scale.
        const RECT target{int(std::lround(offset_.x * scale)), int(std::lround(offset_.y * scale)),
                          int(std::lround((offset_.x + recordedArea_.cx) * scale)),
                          int(std::lround((offset_.y + recordedArea_.cy) * scale))};
        canvas->StretchDraw(target, page);
    }
    Panel2->SetCaption(fw::Format(L"Page %d of %d", {n, PageCount()}));
    shownPage_ = n;
    UpdateNavigation(n);
}

void TPrintpreview::UpdateNavigation(int n) {
    FirstBtn->SetEnabled(n != 1);
    PriorBtn->SetEnabled(n != 1);
    NextBtn->SetEnabled(n < PageCount());
    LastBtn->SetEnabled(n < PageCount());
}

void TPrintpreview::DrawInchGrid(const POINT& Size, double Scale) {
    fw::TCanvas* canvas = PaintBox1->Canvas();
    canvas->Pen()->SetStyle(fw::psDash);
    canvas->Pen()->SetColor(fw::clBlack);
    const auto at = [Scale](double v) { return int(std::nearbyint(v * Scale)); };
    if (pixelsX_ > 0 && pixelsY_ > 0) {
        for (int i = 1; i <= Size.x / pixelsX_; ++i) {
            canvas->MoveTo(at(i * pixelsX_), 0);
            canvas->LineTo(at(i * pixelsX_), at(Size.y));
        }
        for (int i = 1; i <= Size.y / pixelsY_; ++i) {
            canvas->MoveTo(0, at(i * pixelsY_));
            canvas->LineTo(at(Size.x), at(i * pixelsY_));
        }
    }
    canvas->Brush()->SetStyle(fw::bsClear);
    const auto outline = [&](fw::TColor color, RECT r) {
        canvas->Pen()->SetColor(color);
        canvas->Polyline({{at(r.left), at(r.top)},
                          {at(r.right), at(r.top)},
                          {at(r.right), at(r.bottom)},
                          {at(r.left), at(r.bottom)}});
    };
    outline(fw::clRed, RECT{offset_.x, offset_.y, Size.x - offset_.x, Size.y - offset_.y});
    // The page rectangle widened by the offset on each side: the margins measured
    // from the paper's edges rather than from the printable area's.
    outline(fw::clBlue, RECT{pageRect_.left - offset_.x, pageRect_.top - offset_.y, pageRect_.right + offset_.x,
                             pageRect_.bottom + offset_.y});
    canvas->Pen()->SetStyle(fw::psSolid);
    canvas->Pen()->SetColor(fw::clBlack);
    canvas->Brush()->SetStyle(fw::bsSolid);
}

void TPrintpreview::PaintBox1Paint(fw::TObject*) {
    DrawPage(shownPage_);
}

void TPrintpreview::FirstBtnClick(fw::TObject*) {
    DrawPage(1);
}
void TPrintpreview::PriorBtnClick(fw::TObject*) {
    DrawPage(shownPage_ - 1);
}
void TPrintpreview::NextBtnClick(fw::TObject*) {
    DrawPage(shownPage_ + 1);
}
void TPrintpreview::LastBtnClick(fw::TObject*) {
    DrawPage(PageCount());
}

void TPrintpreview::ShwGrdBtnClick(fw::TObject*) {
    showGrid_ = !showGrid_;
    PaintBox1->Invalidate();
}

// --- Fitting and zoom ------------------------------------------------------------------

void TPrintpreview::FitPaintBox(int Left, int Top, int Width, int Height) {
    PaintBox1->Hide();
    sb->ScrollTo(0, 0);
    PaintBox1->SetBounds(Left, Top, std::max(Width, 1), std::max(Height, 1));
    PaintBox1->Show();
    sb->UpdateScrollBars();
}

void TPrintpreview::FullPageBtnClick(fw::TObject*) {
    POINT size{};
    GetPhysicalPageSize(size);
    int left = 15, height = sb->Height() - 30;
    int width = size.x * height / size.y;
    if (width > sb->Width()) {
        width = sb->Width() - 30;
        height = size.y * width / size.x;
    } else {
        left = (sb->Width() - width) / 2;
    }
    FitPaintBox(left, 15, width, height);
}

void TPrintpreview::PageWidthBtnClick(fw::TObject*) {
    POINT size{};
    GetPhysicalPageSize(size);
    const int width = ClientWidth() - 45;
    FitPaintBox(15, Panel1->Height() + 15, width, size.y * width / size.x);
}

void TPrintpreview::ZoomPaintBox(bool In) {
    // Round ties to even, on the extended-precision product, as the zoom steps are defined.
    const auto step = [](int v) { return int(std::nearbyintl(static_cast<long double>(v) * 0.35L)) / 2; };
    int left = PaintBox1->Left() + sb->HorzPosition(), top = PaintBox1->Top() + sb->VertPosition();
    int width = PaintBox1->Width(), height = PaintBox1->Height();
    if (In) {
        const int dW = step(width), dH = step(height);
        // The zoom stops at its largest size: a step past it leaves the page as it is.
        if (width + dW > kLargestPageSide || height + dH > kLargestPageSide) return;
        width += dW;
        left = left - dW / 2 < 0 ? 1 : left - dW / 2;
        height += dH;
        top = top - dH / 2 < 0 ? 1 : top - dH / 2;
    } else {
        width -= step(width);
        height -= step(height);
    }
    const POINT scrolled{sb->HorzPosition(), sb->VertPosition()};
    PaintBox1->Hide();
    PaintBox1->SetBounds(left - scrolled.x, top - scrolled.y, std::max(width, 1), std::max(height, 1));
    PaintBox1->Show();
    sb->UpdateScrollBars();
}

void TPrintpreview::PaintBox1MouseDown(fw::TObject*, fw::TMouseButton Button, fw::TShiftState, int, int) {
    if (Button == fw::mbLeft) ZoomPaintBox(true);
    else if (Button == fw::mbRight) ZoomPaintBox(false);
}

// --- Printing from the window ------------------------------------------------------------

void TPrintpreview::PrintDialog1Show(fw::TObject*) {
    if (fw::Printer()->Printing()) fw::Printer()->Abort();
}

void TPrintpreview::PrintBtnClick(fw::TObject* Sender) {
    if (printingPages_) return;  // a click while the pages print: they go on
    if (!fw::Printer()->HasPrinter()) throw fw::EPrinter(kNoPrinter);
    if (PageCount() == 0) return;
    PrintDialog1->SetOptions(fw::poPageNums);
    PrintDialog1->SetFromPage(1);
    PrintDialog1->SetMinPage(1);
    PrintDialog1->SetMaxPage(PageCount());
    PrintDialog1->SetToPage(PageCount());
    if (!PrintDialog1->Execute()) return;
    // The dialog may have chosen another printer: its offset and resolution place the pages now.
    MeasurePrinter();
    SetMargins(marginInches_[0], marginInches_[1], marginInches_[2], marginInches_[3]);
    switch (PrintDialog1->PrintRange()) {
    case fw::prAllPages: PrintAllPages(); break;
    case fw::prPageNums: {
        // Windows' dialog refuses a range given back to front, other dialogs pass
        // it on: it means the pages between its two numbers, printed in order.
        const int first = std::min(PrintDialog1->FromPage(), PrintDialog1->ToPage());
        const int last = std::max(PrintDialog1->FromPage(), PrintDialog1->ToPage());
        // Each page is a job of its own: closing the window prints no page after the one printing.
        const bool shown = Visible();
        bool stopped = false;
        {
            const PrintingScope printing(printingPages_);
            for (int p = first; p <= last && !stopped; ++p) {
                PrintPage(p);
                stopped = p < last && PrintStopped(shown);
            }
        }
        if (Sender == PrintBtn && !stopped) DrawPage(last);
        break;
    }
    case fw::prSelection: break;
    }
}
