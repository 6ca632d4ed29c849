// The small text, measuring, memory and blitting routines.
#include "controls/VxDrawing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace {

// A memory context with a 32x32 white bitmap, and a canvas on it.
struct MemoryCanvas {
    fw::TCanvas canvas;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ old;
    MemoryCanvas() {
        fw::WindowDC screen(nullptr);
        bitmap = CreateCompatibleBitmap(screen.get(), 32, 32);
        old = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, 32, 32, WHITENESS);
        canvas.SetHandle(dc);
    }
    ~MemoryCanvas() {
        canvas.SetHandle(nullptr);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

TEST(VxDrawing, DrawTextNeverChangesTheTextAndTheTallerFontMeasuresTaller) {
    MemoryCanvas m;
    const std::wstring text = L"a text far too long for the rectangle";
    std::wstring copy = text;
    RECT rect{0, 0, 30, 20};
    EXPECT_GT(vx::DrawTextNoModify(&m.canvas, copy, -1, DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE, rect), 0);
    EXPECT_EQ(copy, text);
    m.canvas.Font()->SetHeight(-10);
    const int small = vx::CanvasMaxTextHeight(&m.canvas);
    m.canvas.Font()->SetHeight(-30);
    const int large = vx::CanvasMaxTextHeight(&m.canvas);
    EXPECT_GE(small, 10);
    EXPECT_GE(large, 30);
    EXPECT_GT(large, small);
}

TEST(VxDrawing, CompareMemoryLooksAtEveryByteOfWordsAndTail) {
    const unsigned char a[7] = {1, 2, 3, 4, 5, 6, 7};
    unsigned char b[7];
    std::memcpy(b, a, 7);
    EXPECT_TRUE(vx::CompareMemory(a, b, 7));
    for (int i = 0; i < 7; ++i) {
        b[i] ^= 0x80;
        EXPECT_FALSE(vx::CompareMemory(a, b, 7)) << i;
        EXPECT_EQ(vx::CompareMemory(a, b, size_t(i)), true) << i;  // the changed byte lies beyond
        b[i] ^= 0x80;
    }
    EXPECT_TRUE(vx::CompareMemory(a, "x", 0));
}

TEST(VxDrawing, BitBltCanvasCopiesToTheGivenPlace) {
    MemoryCanvas source, dest;
    SetPixel(source.dc, 2, 3, RGB(255, 0, 0));
    EXPECT_TRUE(vx::BitBltCanvas(dest.dc, 10, 20, 4, 4, source.dc, 1, 2, SRCCOPY));
    EXPECT_EQ(GetPixel(dest.dc, 11, 21), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dest.dc, 2, 3), RGB(255, 255, 255));
}

TEST(VxDrawing, SameGuidAndZeroMemoryBlock) {
    const GUID a{0x76942BC0, 0x2A6E, 0x4DC4, {0xBF, 0xC9, 0x8E, 0x11, 0x0D, 0xB7, 0xF6, 0x01}};
    GUID b = a;
    EXPECT_TRUE(vx::SameGuid(a, b));
    b.Data4[7] = 0x02;
    EXPECT_FALSE(vx::SameGuid(a, b));
    unsigned char block[6] = {9, 9, 9, 9, 9, 9};
    vx::ZeroMemoryBlock(block + 1, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 6), std::string("\x09\0\0\0\x09\x09", 6));
    vx::ZeroMemoryBlock(block, 0);
    vx::ZeroMemoryBlock(block, -4);
    EXPECT_EQ(block[0], 9);
}

}  // namespace
