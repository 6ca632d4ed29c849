#include "framework/Metafile.h"

#include <vector>

#include "framework/Exception.h"

namespace fw {

namespace {

// The drawing area of a device, in its own pixels.
RECT DeviceArea(HDC dc) {
    return RECT{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
}

}  // namespace

// --- TMetafile ---------------------------------------------------------------------

ENHMETAHEADER TMetafile::Header() const {
    ENHMETAHEADER header{};
    if (handle_) GetEnhMetaFileHeader(handle_.get(), sizeof header, &header);
    return header;
}

int TMetafile::Width() const {
    const RECT f = Frame();
    return MulDiv(f.right - f.left, ScreenPixelsPerInch(), 2540);
}

int TMetafile::Height() const {
    const RECT f = Frame();
    return MulDiv(f.bottom - f.top, ScreenPixelsPerInch(), 2540);
}

void TMetafile::SetHandle(HENHMETAFILE Value) {
    if (Value == handle_.get()) return;
    handle_.reset(Value);
    Changed();
}

RECT TMetafile::Frame() const {
    const ENHMETAHEADER h = Header();
    return RECT{h.rclFrame.left, h.rclFrame.top, h.rclFrame.right, h.rclFrame.bottom};
}

RECT TMetafile::Bounds() const {
    const ENHMETAHEADER h = Header();
    return RECT{h.rclBounds.left, h.rclBounds.top, h.rclBounds.right, h.rclBounds.bottom};
}

int TMetafile::RecordCount() const {
    return int(Header().nRecords);
}

void TMetafile::Draw(TCanvas* ACanvas, const RECT& Rect) {
    if (handle_) PlayEnhMetaFile(ACanvas->Handle(), handle_.get(), &Rect);
}

// --- TMetafileCanvas ---------------------------------------------------------------

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice)
    : TMetafileCanvas(AMetafile, ReferenceDevice,
                      DeviceArea(ReferenceDevice ? ReferenceDevice : WindowDC(nullptr).get())) {}

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice, const RECT& Frame) : metafile_(AMetafile) {
    WindowDC screen(nullptr);  // the reference when none is given
    const HDC reference = ReferenceDevice ? ReferenceDevice : screen.get();
    // The frame goes in 0.01 mm, from the reference device's pixels per inch.
    const int px = GetDeviceCaps(reference, LOGPIXELSX), py = GetDeviceCaps(reference, LOGPIXELSY);
    if (px <= 0 || py <= 0) throw EInvalidGraphic(L"The reference device has no resolution");
    const RECT frame{MulDiv(Frame.left, 2540, px), MulDiv(Frame.top, 2540, py), MulDiv(Frame.right, 2540, px),
                     MulDiv(Frame.bottom, 2540, py)};
    recorder_ = CreateEnhMetaFileW(reference, nullptr, &frame, nullptr);
    if (!recorder_) throw EInvalidGraphic(L"A metafile cannot be recorded: " + SysErrorMessage(GetLastError()));
    SetHandle(recorder_);
}

TMetafileCanvas::~TMetafileCanvas() {
    SetHandle(nullptr);
    if (HENHMETAFILE picture = CloseEnhMetaFile(recorder_)) metafile_->SetHandle(picture);
}

}  // namespace fw
