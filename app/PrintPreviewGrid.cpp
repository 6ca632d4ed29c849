// The page store's grid printer: a string grid scaled to a width and laid over as
// many pages as it needs, with its fixed colour and optional grid lines.
#include <algorithm>
#include <cmath>

#include "app/PrintPreview.h"

namespace {

int RoundEven(long double v) {
    return int(std::nearbyintl(v));
}

}  // namespace

struct TPrintpreview::GridJob {
    fw::TStringGrid* grid;
    fw::TCanvas* canvas;
    long double scale;
    int width;
    bool lines;
    bool texts;
    int gridLine;
};

void TPrintpreview::ScaleCanvasTools(GridJob& Job) const {
    fw::TCanvas* canvas = Job.canvas;
    canvas->Font()->Assign(Job.grid->Font());
    canvas->Font()->SetHeight(RoundEven(Job.grid->Font()->Height() * Job.scale));
    canvas->Brush()->Assign(Job.grid->Brush());
    canvas->Pen()->Assign(Job.grid->Canvas()->Pen());
    const int pen = RoundEven(Job.gridLine * Job.scale);
    canvas->Pen()->SetWidth(pen == 0 ? 1 : pen);
}

void TPrintpreview::PrintRows(GridJob& Job, int First, int Last, int X, int Y) const {
    fw::TStringGrid* grid = Job.grid;
    fw::TCanvas* canvas = Job.canvas;
    long double xc = X;
    for (int c = 0; c < grid->ColCount(); ++c) {
        const long double right = xc + (grid->ColWidths(c) + Job.gridLine) * Job.scale;
        long double yc = Y;
        for (int r = First; r <= Last; ++r) {
            const long double bottom = yc + (grid->RowHeights(r) + Job.gridLine) * Job.scale;
            const bool fixed = c < grid->FixedCols() || r < grid->FixedRows();
            canvas->Brush()->SetColor(fixed ? grid->FixedColor() : grid->Color());
            const RECT cell{RoundEven(xc), RoundEven(yc), RoundEven(right), RoundEven(bottom)};
            if (Job.texts) {
                const int inset = RoundEven(2 * Job.scale);
                canvas->TextRect(cell, cell.left + inset, cell.top + inset, grid->Cells(c, r));
            }
            if (grid->OnDrawCell) {
                TPrintCellTarget& target = const_cast<TPrintCellTarget&>(cellTarget_);
                target.Grid = grid;
                target.Canvas = canvas;
                grid->OnDrawCell(&target, c, r, cell, 0);
            }
            yc = bottom;
        }
        xc = right;
    }
}

void TPrintpreview::PrintGridLines(GridJob& Job, int First, int Last, const RECT& Box) const {
    if (!Job.lines) return;
    fw::TStringGrid* grid = Job.grid;
    fw::TCanvas* canvas = Job.canvas;
    long double xc = Box.left;
    for (int c = 0; c <= grid->ColCount(); ++c) {
        canvas->MoveTo(RoundEven(xc), Box.top);
        canvas->LineTo(RoundEven(xc), Box.bottom);
        if (c < grid->ColCount()) xc += (grid->ColWidths(c) + Job.gridLine) * Job.scale;
    }
    long double yc = Box.top;
    for (int r = First; r <= Last + 1; ++r) {
        canvas->MoveTo(Box.left, RoundEven(yc));
        canvas->LineTo(Box.right, RoundEven(yc));
        if (r <= Last) yc += (grid->RowHeights(r) + Job.gridLine) * Job.scale;
    }
}

void TPrintpreview::PrintGrid(fw::TStringGrid* Grid, int Width, POINT Origin, bool GridLines, bool PrintTexts,
                              int& EndY) {
    fw::TCanvas* canvas = PageCanvas(recordingPage_);
    if (!Grid || !canvas || finished_) return;
    long double total = static_cast<long double>(Grid->GridLineWidth()) * Grid->ColCount();
    for (int c = 0; c < Grid->ColCount(); ++c) total += Grid->ColWidths(c);
    if (total <= 0) return;
    const auto keep = [](fw::TCanvas* on) {
        struct Saved {
            fw::TFont font;
            fw::TBrush brush;
            fw::TPen pen;
        };
        auto saved = std::make_unique<Saved>();
        saved->font.Assign(on->Font());
        saved->brush.Assign(on->Brush());
        saved->pen.Assign(on->Pen());
        return saved;
    };
    auto saved = keep(canvas);
    GridJob job{Grid, canvas, Width / total, Width, GridLines, PrintTexts, Grid->GridLineWidth()};
    ScaleCanvasTools(job);

    const int lastRow = Grid->RowCount() - 1;
    int fixedH = job.gridLine * Grid->FixedRows();
    for (int r = 0; r < Grid->FixedRows(); ++r) fixedH += Grid->RowHeights(r);
    const int x = Origin.x + canvasRect_.left;
    int y = Origin.y + canvasRect_.top;  // where the current page's block of rows starts
    int blockTop = y;                    // where the current page's grid starts (fixed rows included)
    bool freshPage = false;              // the block starts on a page the grid itself added
    int first = 0;
    long long h = 0;
    while (first < lastRow) {
        h = 0;
        int row = first;
        long long pending = 0;  // height of rows first .. row - 1
        for (;; ++row) {
            h += Grid->RowHeights(row) + job.gridLine;
            // The first block fits from where it starts. A later block starts at the
            // page rectangle's top as the canvas sees it, under its repeated fixed
            // rows: the allowance for the top and the foot it is measured against are
            // values of the one canvas, and no row ends past the foot.
            bool fits = y + RoundEven(h * job.scale) <= canvasRect_.bottom;
            if (first > 0) fits = fits && canvasRect_.top + (fixedH + h) * job.scale <= canvasRect_.bottom;
            if (!fits || row == lastRow) break;
            pending = h;
        }
        const bool done = row == lastRow;
        // A heading alone is not left at a page's foot: a break after rows 0 or 1
        // starts the grid again on the next page; on a fresh page it cannot help.
        const bool restart = !done && row <= 1 && !freshPage;
        if (row > first && !restart) {
            PrintRows(job, first, row - 1, x, y);
            PrintGridLines(job, first, row - 1, RECT{x, y, x + Width, y + RoundEven(pending * job.scale)});
            first = row;
        } else if (!done && freshPage) {
            break;  // not even one row fits on an empty page: the grid ends here
        }
        if (done) break;
        if (NewPage() == 0) break;
        canvas = PageCanvas(recordingPage_);
        job.canvas = canvas;
        ScaleCanvasTools(job);
        y = blockTop = canvasRect_.top;
        freshPage = true;
        if (Grid->FixedRows() > 0 && first >= Grid->FixedRows()) {
            PrintRows(job, 0, Grid->FixedRows() - 1, x, y);
            PrintGridLines(job, 0, Grid->FixedRows() - 1, RECT{x, y, x + Width, y + RoundEven(fixedH * job.scale)});
            y += RoundEven(fixedH * job.scale);
        }
    }
    canvas->Font()->Assign(&saved->font);
    canvas->Brush()->Assign(&saved->brush);
    canvas->Pen()->Assign(&saved->pen);
    EndY = (y - blockTop) + RoundEven((h + job.gridLine) * job.scale);
    if (HandleAllocated()) Update();
}
