#pragma once
// Small stateless routines for text output, measurement, memory comparison and
// blitting, shared by the grid and the arrow button.
#include <windows.h>

#include <cstddef>
#include <string>

namespace fw {
class TCanvas;
}

namespace vx {

// DrawTextW on the canvas's handle; DT_MODIFYSTRING is always taken out of Flags,
// so Text is never changed. Length -1 means up to the terminating null.
int DrawTextNoModify(fw::TCanvas* Canvas, const std::wstring& Text, int Length, UINT Flags, RECT& Rect);

// The height (tmHeight) of the canvas's current font.
int CanvasMaxTextHeight(fw::TCanvas* Canvas);

// True when the two blocks of Count bytes are equal (a count of 0 is equal).
bool CompareMemory(const void* A, const void* B, std::size_t Count);

// BitBlt with the arguments in the Windows order.
bool BitBltCanvas(HDC Dest, int X, int Y, int Width, int Height, HDC Source, int SourceX, int SourceY, DWORD Rop);

// Whether the two GUIDs are the same.
bool SameGuid(const GUID& A, const GUID& B);

// Fills Size bytes at Address with 0 when Size is above 0; nothing otherwise.
void ZeroMemoryBlock(void* Address, std::ptrdiff_t Size);

}  // namespace vx
