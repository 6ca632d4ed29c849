#pragma once
// Enhanced metafiles: a TMetafile holds a recorded picture (its handle is owned
// and freed with it); a TMetafileCanvas records into one. The canvas is made on
// a metafile with a reference device whose measures the drawing uses (a printer's
// information context, or the screen when none is given), and it hands the
// finished picture to the metafile when it is deleted. Its frame is given
// explicitly (the reference device's whole drawing area unless stated), so a
// picture plays back at the scale it was drawn, not stretched to what it holds.
#include <windows.h>

#include <string>

#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace fw {

class TMetafile : public TGraphic {
public:
    TMetafile() = default;

    bool Empty() const override { return !handle_; }
    // The frame's size in screen pixels (0 when empty).
    int Width() const override;
    int Height() const override;

    HENHMETAFILE Handle() const { return handle_.get(); }
    // Adopts a metafile handle (the previous one is freed).
    void SetHandle(HENHMETAFILE Value);
    // The frame in 0.01 mm, as recorded.
    RECT Frame() const;
    // What the drawing covers, in the reference device's pixels (empty: nothing drawn).
    RECT Bounds() const;
    // The number of records the picture holds.
    int RecordCount() const;

protected:
    void Draw(TCanvas* ACanvas, const RECT& Rect) override;
    std::wstring ClassName() const override { return L"TMetafile"; }

private:
    ENHMETAHEADER Header() const;

    EnhMetaFileHandle handle_;
};

class TMetafileCanvas : public TCanvas {
public:
    // Records for AMetafile with ReferenceDevice's measures, framed by its drawing area.
    TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice);
    // Records with an explicit frame, in the reference device's pixels.
    TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice, const RECT& Frame);
    // Ends the recording; the metafile holds the picture from now on.
    ~TMetafileCanvas() override;

protected:
    std::wstring ClassName() const override { return L"TMetafileCanvas"; }

private:
    TMetafile* metafile_;
    HDC recorder_ = nullptr;
};

}  // namespace fw
