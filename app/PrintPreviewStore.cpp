// The page store of the print-preview window: recording pages, the inch
// conversions and page rectangle, text and grids on pages, and printing them.
#include <algorithm>
#include <cmath>

#include "app/PrintPreview.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Printers.h"
#include "framework/SysUtils.h"

namespace {

const wchar_t kNoPrinter[] = L"No printer is installed.";
// A4 in pixels at 100 per inch: the window's proportions when there is no printer.
constexpr POINT kPaperWithoutPrinter{827, 1169};

int RoundEven(double v) {
    return int(std::nearbyint(v));  // the default rounding mode rounds ties to even
}

// One line of word-wrapped text: where it starts, how many characters it shows,
// and where the next line starts (after the wrapping blanks or the line break).
struct TextLine {
    size_t start = 0;
    size_t length = 0;
    size_t next = 0;
};

bool IsBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

// Wraps Text at Width as a multi-line edit control does: at the last blank that
// fits, inside a word too long for a line, and at every line break.
std::vector<TextLine> WrapText(HDC DC, const std::wstring& Text, int Width) {
    std::vector<TextLine> lines;
    size_t pos = 0;
    const size_t n = Text.size();
    while (true) {
        size_t end = pos;
        while (end < n && !IsBreak(Text[end])) ++end;
        size_t start = pos;
        do {
            TextLine line{start, end - start, end};
            INT fit = 0;
            SIZE extent{};
            std::wstring part = Text.substr(start, end - start);
            std::replace(part.begin(), part.end(), L'\t', L' ');
            GetTextExtentExPointW(DC, part.c_str(), int(part.size()), std::max(Width, 0), &fit, nullptr, &extent);
            if (size_t(fit) < part.size()) {
                size_t cut = size_t(fit);
                while (cut > 0 && part[cut] != L' ') --cut;
                if (cut > 0) {
                    line.length = cut;
                    size_t next = start + cut;
                    while (next < end && Text[next] == L' ') ++next;
                    line.next = next;
                } else {
                    line.length = std::max<size_t>(size_t(fit), 1);
                    line.next = start + line.length;
                }
            }
            while (line.length > 0 && Text[line.start + line.length - 1] == L' ') --line.length;
            lines.push_back(line);
            start = line.next;
        } while (start < end);
        if (end >= n) break;
        // The line break belongs to the line before it.
        size_t next = end + 1;
        if (Text[end] == L'\r' && next < n && Text[next] == L'\n') ++next;
        lines.back().next = next;
        pos = next;
    }
    return lines;
}

// The lines of a list joined by line breaks, without a final one.
std::wstring JoinedText(fw::TStrings* Lines) {
    std::wstring text;
    for (int i = 0; i < Lines->Count(); ++i) {
        if (i) text += L"\r\n";
        text += Lines->Strings(i);
    }
    return text;
}

}  // namespace

// --- Pages ---------------------------------------------------------------------------------

fw::TCanvas* TPrintpreview::PageCanvas(int n) const {
    if (n < 1 || n > PageCount()) return nullptr;
    return canvases_[size_t(n - 1)].get();
}

fw::TMetafile* TPrintpreview::PageMetafile(int n) const {
    if (n < 1 || n > PageCount() || !finished_) return nullptr;
    return metafiles_[size_t(n - 1)].get();
}

void TPrintpreview::FreePages() {
    for (auto it = canvases_.rbegin(); it != canvases_.rend(); ++it) it->reset();
    while (!metafiles_.empty()) metafiles_.pop_back();
    canvases_.clear();
}

bool TPrintpreview::GetPhysicalPageSize(POINT& Size) const {
    Size = kPaperWithoutPrinter;
    fw::TPrinter* printer = fw::Printer();
    if (!printer->HasPrinter()) return false;
    try {
        HDC ic = printer->Handle();
        POINT size{};
        if (Escape(ic, GETPHYSPAGESIZE, 0, nullptr, &size) <= 0 || size.x <= 0 || size.y <= 0)
            size = POINT{GetDeviceCaps(ic, PHYSICALWIDTH), GetDeviceCaps(ic, PHYSICALHEIGHT)};
        if (size.x <= 0 || size.y <= 0) return false;
        Size = size;
        return true;
    } catch (const fw::EPrinter&) {
        return false;  // a printer that cannot be opened leaves the window its proportions
    }
}

void TPrintpreview::MeasurePrinter() {
    HDC ic = fw::Printer()->Handle();
    POINT offset{};
    if (Escape(ic, GETPRINTINGOFFSET, 0, nullptr, &offset) <= 0)
        offset = POINT{GetDeviceCaps(ic, PHYSICALOFFSETX), GetDeviceCaps(ic, PHYSICALOFFSETY)};
    offset_ = offset;
    pixelsX_ = GetDeviceCaps(ic, LOGPIXELSX);
    pixelsY_ = GetDeviceCaps(ic, LOGPIXELSY);
    if (pixelsX_ <= 0 || pixelsY_ <= 0) throw fw::EPrinter(L"The printer reports no resolution.");
}

int TPrintpreview::InchesToDeviceX(float Inches) const {
    return RoundEven(double(pixelsX_) * double(Inches));
}

int TPrintpreview::InchesToDeviceY(float Inches) const {
    return RoundEven(double(pixelsY_) * double(Inches));
}

void TPrintpreview::SetMargins(float Left, float Top, float Right, float Bottom) {
    SetPageRect(InchesToDeviceX(Left), InchesToDeviceY(Top), InchesToDeviceX(Right), InchesToDeviceY(Bottom));
    const float inches[4] = {Left, Top, Right, Bottom};
    std::copy(inches, inches + 4, marginInches_);
}

void TPrintpreview::SetPageRect(int Left, int Top, int Right, int Bottom) {
    POINT size{};
    GetPhysicalPageSize(size);
    pageRect_ = RECT{offset_.x + Left, offset_.y + Top, size.x - offset_.x - Right, size.y - offset_.y - Bottom};
    // Converted once: every drawing routine works in the canvas's coordinates.
    canvasRect_ = RECT{pageRect_.left - offset_.x, pageRect_.top - offset_.y, pageRect_.right - offset_.x,
                       pageRect_.bottom - offset_.y};
    if (pixelsX_ > 0 && pixelsY_ > 0) {
        marginInches_[0] = float(Left) / float(pixelsX_);
        marginInches_[1] = float(Top) / float(pixelsY_);
        marginInches_[2] = float(Right) / float(pixelsX_);
        marginInches_[3] = float(Bottom) / float(pixelsY_);
    }
}

int TPrintpreview::BeginDoc() {
    fw::TPrinter* printer = fw::Printer();
    if (printer->Printing()) printer->Abort();
    FreePages();
    recordingPage_ = 0;
    finished_ = false;
    if (!printer->HasPrinter()) throw fw::EPrinter(kNoPrinter);
    MeasurePrinter();
    recordedArea_ = SIZE{printer->PageWidth(), printer->PageHeight()};
    // One inch inside the printable area until margins are set. No print job is
    // opened: the pages are recorded against the information context.
    SetPageRect(pixelsX_, pixelsY_, pixelsX_, pixelsY_);
    return NewPage();
}

int TPrintpreview::NewPage() {
    if (finished_ || !fw::Printer()->HasPrinter()) return 0;
    metafiles_.push_back(std::make_unique<fw::TMetafile>());
    const int page = int(metafiles_.size());
    try {
        canvases_.push_back(std::make_unique<fw::TMetafileCanvas>(metafiles_.back().get(), fw::Printer()->Handle()));
    } catch (...) {
        metafiles_.pop_back();
        throw;
    }
    recordingPage_ = page;
    fw::TCanvas* canvas = canvases_.back().get();
    canvas->Brush()->SetStyle(fw::bsClear);
    canvas->Font()->SetName(L"Arial");
    canvas->Font()->SetPixelsPerInch(pixelsY_);
    canvas->Font()->SetSize(10);
    return page;
}

void TPrintpreview::EndRecording() {
    if (finished_) return;
    for (auto& canvas : canvases_) canvas.reset();  // closing a canvas completes its metafile
    finished_ = true;
}

// --- Text -------------------------------------------------------------------------------------

int TPrintpreview::PrintTextInRect(const RECT& R, fw::TStrings* Lines, bool RemovePrinted, int& DrawnCount,
                                   fw::TFont* Font) {
    DrawnCount = 0;
    fw::TCanvas* canvas = PageCanvas(recordingPage_);
    if (!canvas || finished_) return 0;
    RECT c;
    c.left = R.left + canvasRect_.left;
    c.right = std::min<LONG>(c.left + (R.right - R.left), canvasRect_.right);
    c.top = R.top + canvasRect_.top;
    c.bottom = std::min<LONG>(c.top + (R.bottom - R.top), canvasRect_.bottom);
    const std::wstring text = JoinedText(Lines);
    canvas->Font()->Assign(Font);
    HDC dc = canvas->Handle();
    canvas->Brush()->SetStyle(fw::bsClear);
    canvas->TextHeight(L"X");  // selects the font
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int lineHeight = std::max<int>(tm.tmHeight, 1);

    // What is drawn is counted here, line by line, with the font it is drawn in:
    // the system's own count of drawn characters is not to be relied on.
    const std::vector<TextLine> lines = WrapText(dc, text, c.right - c.left);
    const int room = c.bottom > c.top ? int((c.bottom - c.top) / lineHeight) : 0;
    const int shown = text.empty() ? 0 : std::min<int>(room, int(lines.size()));
    for (int i = 0; i < shown; ++i) {
        const TextLine& line = lines[size_t(i)];
        std::wstring part = text.substr(line.start, line.length);
        RECT r{c.left, c.top + i * lineHeight, c.right, c.top + (i + 1) * lineHeight};
        DRAWTEXTPARAMS params{sizeof params, 8, 0, 0, 0};
        DrawTextExW(dc, part.data(), int(part.size()), &r, DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX, &params);
    }
    DrawnCount = shown == 0 ? 0 : int(shown == int(lines.size()) ? text.size() : lines[size_t(shown - 1)].next);
    if (RemovePrinted) {
        if (int(text.size()) <= DrawnCount) Lines->Clear();
        else Lines->SetText(text.substr(size_t(DrawnCount)));
    }
    return shown * lineHeight;
}

// --- Printing recorded pages ---------------------------------------------------------------

void TPrintpreview::SetStatus(const std::wstring& Text) {
    Panel2->SetCaption(Text);
    if (Panel2->HandleAllocated()) Panel2->Update();
}

bool TPrintpreview::PrintStopped(bool WasShown) {
    // Handled between pages: the window repaints, shows its progress and can be closed.
    fw::Application()->ProcessMessages();
    if (fw::Application()->Terminated()) return true;
    if (Modal()) return ModalResult() != fw::mrNone;
    return WasShown && !Visible();
}

void TPrintpreview::PrintPage(int n) {
    if (!finished_) EndRecording();
    if (n < 1 || n > PageCount()) return;
    fw::TPrinter* printer = fw::Printer();
    printer->SetTitle(title_);
    if (!printer->Printing()) printer->BeginDoc();
    try {
        SetStatus(fw::Format(L"Printing page %d of %d", {n, PageCount()}));
        // The page's frame is the printable area: it goes there whole, as when all pages print.
        printer->Canvas()->StretchDraw(RECT{0, 0, printer->PageWidth(), printer->PageHeight()}, PageMetafile(n));
        printer->EndDoc();
    } catch (...) {
        printer->Abort();  // nothing half-printed stays in the spooler
        throw;
    }
}

void TPrintpreview::PrintAllPages() {
    if (!finished_) EndRecording();
    if (PageCount() == 0) return;
    fw::TPrinter* printer = fw::Printer();
    printer->SetTitle(title_);
    if (!printer->Printing()) printer->BeginDoc();
    const std::wstring status = Panel2->Caption();
    const bool shown = Visible();
    const PrintingScope printing(printingPages_);
    try {
        bool stopped = false;
        for (int p = 1; p <= PageCount() && !stopped; ++p) {
            SetStatus(fw::Format(L"Printing page %d of %d", {p, PageCount()}));
            if (p > 1) printer->NewPage();
            printer->Canvas()->StretchDraw(RECT{0, 0, printer->PageWidth(), printer->PageHeight()}, PageMetafile(p));
            stopped = p < PageCount() && PrintStopped(shown);
        }
        // A print stopped by closing the window is discarded whole, as an incomplete
        // document, however many pages it has drawn.
        if (stopped) printer->Abort();
        else printer->EndDoc();
    } catch (...) {
        printer->Abort();
        SetStatus(status);
        throw;
    }
    SetStatus(status);
}
