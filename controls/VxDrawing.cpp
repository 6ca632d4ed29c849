#include "controls/VxDrawing.h"

#include <cstdint>
#include <cstring>

#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace vx {

int DrawTextNoModify(fw::TCanvas* Canvas, const std::wstring& Text, int Length, UINT Flags, RECT& Rect) {
    // DrawTextW may write into the text with DT_MODIFYSTRING; that flag never passes.
    // The canvas's own DrawText selects its font and brush first.
    std::wstring text = Length < 0 ? std::wstring(Text.c_str()) : Text.substr(0, size_t(Length));
    return Canvas->TextRect(Rect, text, Flags & ~UINT(DT_MODIFYSTRING));
}

int CanvasMaxTextHeight(fw::TCanvas* Canvas) {
    HDC dc = Canvas->Handle();
    const fw::SelectObjectGuard select(dc, Canvas->Font()->Handle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

bool CompareMemory(const void* A, const void* B, std::size_t Count) {
    auto a = static_cast<const unsigned char*>(A);
    auto b = static_cast<const unsigned char*>(B);
    while (Count >= 4) {
        std::uint32_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        if (x != y) return false;
        a += 4;
        b += 4;
        Count -= 4;
    }
    for (; Count > 0; --Count)
        if (*a++ != *b++) return false;
    return true;
}

bool BitBltCanvas(HDC Dest, int X, int Y, int Width, int Height, HDC Source, int SourceX, int SourceY, DWORD Rop) {
    return BitBlt(Dest, X, Y, Width, Height, Source, SourceX, SourceY, Rop) != FALSE;
}

bool SameGuid(const GUID& A, const GUID& B) {
    return IsEqualGUID(A, B) != FALSE;
}

void ZeroMemoryBlock(void* Address, std::ptrdiff_t Size) {
    if (Size > 0) std::memset(Address, 0, size_t(Size));
}

}  // namespace vx
