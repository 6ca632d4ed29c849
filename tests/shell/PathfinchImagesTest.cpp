// The browser's pictures of its object: the overlay of a shortcut, and thumbnails at the asked and the default size,
// with the large icon centred as the fallback (Wine has no thumbnail handler: its
// 1 x 1 answer counts as none).
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Bitmap.h"
#include "shell/Pathfinch.h"
#include "shell/ShellLibrary.h"
#include "shell/ZemSystemImageList.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

// The bounds of the pixels that were drawn on (any byte not 0); empty when none.
RECT DrawnBounds(fw::TBitmap& Bitmap) {
    const int w = Bitmap.Width(), h = Bitmap.Height();
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(size_t(w) * size_t(h));
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, Bitmap.Handle(), 0, UINT(h), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    RECT r{w, h, 0, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (pixels[size_t(y) * size_t(w) + size_t(x)]) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

class PathfinchImages : public testing::Test {
protected:
    void SetUp() override {
        ShellLibraryStartup();
        scratch::MakeFile(folder + L"\\x.txt", 10);
        ASSERT_TRUE(scratch::MakeShortcut(folder + L"\\x.lnk", folder + L"\\x.txt"));
    }
    void TearDown() override { ShellLibraryShutdown(); }
    const std::wstring folder = testenv::NewScratchFolder(L"images");
};

}  // namespace

TEST_F(PathfinchImages, OnlyAShortcutHasAnOverlay) {
    EXPECT_EQ(TPathfinch::CreateForPath(folder + L"\\x.txt")->ObjectOverlayIndex(), -1);
    EXPECT_EQ(TPathfinch::CreateForPath(folder + L"\\x.lnk")->ObjectOverlayIndex(), 1);
    TPathfinch folderOnly(nullptr);  // no object: no overlay
    folderOnly.SetFolder(folder);
    EXPECT_EQ(folderOnly.ObjectOverlayIndex(), -1);
}

TEST_F(PathfinchImages, ThumbnailsAtTheAskedAndTheDefaultSizeWithTheIconCentred) {
    std::unique_ptr<TPathfinch> file = TPathfinch::CreateForPath(folder + L"\\x.txt");
    // No thumbnail and no fallback: none (Wine's 1 x 1 picture included).
    EXPECT_EQ(file->GetThumbnailBitmap(64, 48, false), nullptr);

    std::unique_ptr<fw::TBitmap> asked = file->GetThumbnailBitmap(64, 48, true);
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(asked->Width(), 64);
    EXPECT_EQ(asked->Height(), 48);
    std::unique_ptr<fw::TBitmap> standard = file->GetThumbnailBitmap(0, 0, true);
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->Width(), 200);
    EXPECT_EQ(standard->Height(), 200);

    // Where the large icon stands in (the route of older common controls, and
    // Wine's), it is drawn in the middle of the picture.
    if (CommonControlsVersion() < 0x00060000) {
        TZemSystemImageList large(nullptr);
        large.SetSize(si_large);
        const RECT drawn = DrawnBounds(*asked);
        const int left = (64 - large.Width()) / 2, top = (48 - large.Height()) / 2;
        EXPECT_LT(drawn.left, drawn.right);
        EXPECT_GE(drawn.left, left);
        EXPECT_GE(drawn.top, top);
        EXPECT_LE(drawn.right, left + large.Width());
        EXPECT_LE(drawn.bottom, top + large.Height());
    }

    TPathfinch empty(nullptr);
    EXPECT_EQ(empty.GetThumbnailBitmap(64, 48, true), nullptr);
}
