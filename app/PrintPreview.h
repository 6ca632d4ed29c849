#pragma once
// The print-preview window and the page store behind it. The application creates
// it once, hidden, at start-up (Printpreview) and owns it. A print layout records
// a job into it: BeginDoc, margins, text and grids drawn onto pages that NewPage
// adds; ShowPreview ends the recording and ShowModal shows the pages, one at a
// time, scaled to the page or its width and zoomed by clicks; "Print" sends all
// of them or a range to the printer. The pages stay until the next BeginDoc.
//
// Pages are enhanced metafiles recorded against the printer's information context
// (no print job is opened to record), framed by the printable area, so a page
// plays back at its place whatever the target. All drawing positions are canvas
// coordinates: the printable area's corner is (0, 0); the page rectangle is kept
// both in physical-page coordinates (PageRect, as the layout reads it) and once
// converted to canvas coordinates, which every drawing routine uses.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/BitBtn.h"
#include "framework/Buttons.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/Grids.h"
#include "framework/Label.h"
#include "framework/Metafile.h"
#include "framework/PaintBox.h"
#include "framework/Panel.h"
#include "framework/ScrollBox.h"
#include "framework/StringList.h"

// What a grid's cell-drawing handler gets as Sender while a grid is printed: the
// grid and the page canvas to draw the cell on.
class TPrintCellTarget : public fw::TObject {
public:
    fw::TStringGrid* Grid = nullptr;
    fw::TCanvas* Canvas = nullptr;
};

class TPrintpreview : public fw::TForm {
public:
    explicit TPrintpreview(fw::TComponent* AOwner);
    ~TPrintpreview() override;

    fw::TPanel* Panel1;
    fw::TBitBtn* FirstBtn;
    fw::TBitBtn* PriorBtn;
    fw::TBitBtn* NextBtn;
    fw::TBitBtn* LastBtn;
    fw::TButton* PageWidthBtn;
    fw::TButton* FullPageBtn;
    fw::TButton* PrintBtn;
    fw::TButton* Button6;
    fw::TLabel* Label1;
    fw::TPanel* Panel2;
    fw::TScrollBox* sb;
    fw::TPaintBox* PaintBox1;
    fw::TPrintDialog* PrintDialog1;
    fw::TOpenDialog* OpenDialog1;
    fw::TSaveDialog* SaveDialog1;

    // --- The window ---------------------------------------------------------------
    void FormCreate(fw::TObject* Sender);
    void PrintBtnClick(fw::TObject* Sender);
    void FirstBtnClick(fw::TObject* Sender);
    void PriorBtnClick(fw::TObject* Sender);
    void NextBtnClick(fw::TObject* Sender);
    void LastBtnClick(fw::TObject* Sender);
    void FullPageBtnClick(fw::TObject* Sender);
    void PageWidthBtnClick(fw::TObject* Sender);
    void PaintBox1Paint(fw::TObject* Sender);
    void PaintBox1MouseDown(fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y);
    void PrintDialog1Show(fw::TObject* Sender);
    // Shows or hides the inch grid and the outlines of the printable area and the
    // page rectangle over the page.
    void ShwGrdBtnClick(fw::TObject* Sender);

    // Ends the recording and shows page 1 fitted to the window.
    void ShowPreview();
    // Draws page n (ignored outside 1 .. PageCount) and updates status and buttons.
    void DrawPage(int n);
    int ShownPage() const { return shownPage_; }
    bool ShowGrid() const { return showGrid_; }

    // --- The page store -----------------------------------------------------------
    int PageCount() const { return int(canvases_.size()); }
    // The canvas of page n while it is recorded; nullptr otherwise.
    fw::TCanvas* PageCanvas(int n) const;
    // The picture of page n once recording has finished; nullptr otherwise.
    fw::TMetafile* PageMetafile(int n) const;
    bool RecordingFinished() const { return finished_; }
    int RecordingPage() const { return recordingPage_; }

    // The paper's size in printer pixels. Without a printer: false, and A4's
    // proportions at 100 pixels per inch, so the window can still lay itself out.
    bool GetPhysicalPageSize(POINT& Size) const;
    POINT PrintingOffset() const { return offset_; }
    int InchesToDeviceX(float Inches) const;
    int InchesToDeviceY(float Inches) const;
    // Margins in inches from the printable area's edges.
    void SetMargins(float Left, float Top, float Right, float Bottom);
    // Margins in printer pixels from the printable area's edges.
    void SetPageRect(int Left, int Top, int Right, int Bottom);
    // The area inside the margins, from the paper's corner.
    RECT PageRect() const { return pageRect_; }
    // The same area in the pages' canvas coordinates.
    RECT PageCanvasRect() const { return canvasRect_; }
    const std::wstring& DocumentTitle() const { return title_; }
    void SetDocumentTitle(const std::wstring& Value) { title_ = Value; }

    // Discards every page and starts recording page 1; returns 1. EPrinter "No
    // printer is installed." without a printer.
    int BeginDoc();
    // Adds a page and returns its number (0 once recording has finished).
    int NewPage();
    void EndRecording();

    // Draws Lines word-wrapped into R (relative to the page rectangle's corner,
    // clipped to it) on the recording page, in whole lines that fit. DrawnCount is
    // the number of characters drawn (line breaks and wrapping blanks included);
    // with RemovePrinted they leave Lines. Returns the drawn height (0 when nothing
    // is recorded or nothing fits).
    int PrintTextInRect(const RECT& R, fw::TStrings* Lines, bool RemovePrinted, int& DrawnCount, fw::TFont* Font);
    // Prints Grid scaled to Width from Origin (relative to the page rectangle's
    // corner) over as many pages as it needs, leaving out its last (empty) row.
    // EndY is the height the grid takes on its last page (its last row counted).
    // The pages it continues on hold every row that fits between the page
    // rectangle's top (under the repeated fixed rows) and its foot. A row that
    // cannot fit even on a fresh page ends the grid there.
    void PrintGrid(fw::TStringGrid* Grid, int Width, POINT Origin, bool GridLines, bool PrintTexts, int& EndY);
    // Prints page n as a job of its own.
    void PrintPage(int n);
    // Prints every page as one job. The window's messages are handled between
    // pages; closing the window (shown when the print began) stops the print at
    // the next page and discards the job.
    void PrintAllPages();
    // Whether pages are being sent to the printer now.
    bool PrintingPages() const { return printingPages_; }

private:
    void BuildControls();
    void BuildToolbar();
    void UpdateNavigation(int n);
    void FitPaintBox(int Left, int Top, int Width, int Height);
    void DrawInchGrid(const POINT& Size, double Scale);
    void ZoomPaintBox(bool In);
    // Reads the printer's resolution and offset (the information context).
    void MeasurePrinter();
    void FreePages();
    void SetStatus(const std::wstring& Text);
    // Handles the messages waiting between two printed pages; true when the
    // window has been closed meanwhile (or the program is ending). WasShown: the
    // window was shown when the print began.
    bool PrintStopped(bool WasShown);
    // Marks the pages as printing for as long as it lives.
    class PrintingScope {
    public:
        explicit PrintingScope(bool& Flag) : flag_(Flag) { flag_ = true; }
        ~PrintingScope() { flag_ = false; }
        PrintingScope(const PrintingScope&) = delete;
        PrintingScope& operator=(const PrintingScope&) = delete;

    private:
        bool& flag_;
    };

    // Grid printing, in PrintGrid's terms.
    struct GridJob;
    void ScaleCanvasTools(GridJob& Job) const;
    void PrintRows(GridJob& Job, int First, int Last, int X, int Y) const;
    void PrintGridLines(GridJob& Job, int First, int Last, const RECT& Box) const;

    int shownPage_ = 1;
    bool showGrid_ = false;

    int recordingPage_ = 0;
    std::vector<std::unique_ptr<fw::TMetafileCanvas>> canvases_;
    std::vector<std::unique_ptr<fw::TMetafile>> metafiles_;
    bool finished_ = false;
    int pixelsX_ = 0;
    int pixelsY_ = 0;
    POINT offset_{0, 0};
    RECT pageRect_{0, 0, 0, 0};
    RECT canvasRect_{0, 0, 0, 0};
    // The printable area's size when the pages were recorded (their frame).
    SIZE recordedArea_{0, 0};
    // The margins the page rectangle was made from, in inches, to measure it again
    // when the print dialog changes the printer.
    float marginInches_[4] = {1, 1, 1, 1};
    std::wstring title_;
    TPrintCellTarget cellTarget_;
    bool printingPages_ = false;
};

// The one print-preview window, once the application has created it.
extern TPrintpreview* Printpreview;
