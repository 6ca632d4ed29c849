// Metafiles recorded against a reference device: the frame given, what the
// drawing covers, and playback at the frame's scale.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Bitmap.h"
#include "framework/Handles.h"
#include "framework/Metafile.h"

namespace {

TEST(Metafile, RecordsWithAnExplicitFrameAndPlaysBackToScaleAndAnEmptyOneHasNoBounds) {
    fw::WindowDC screen(nullptr);
    const int ppi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    fw::TMetafile picture;
    EXPECT_TRUE(picture.Empty());
    {
        // A 200 x 100 pixel frame holding one small square at (50, 25).
        fw::TMetafileCanvas canvas(&picture, screen.get(), RECT{0, 0, 200, 100});
        canvas.Brush()->SetColor(fw::clBlack);
        canvas.FillRect(RECT{50, 25, 70, 45});
        EXPECT_TRUE(picture.Empty());  // the picture comes when the recording ends
    }
    ASSERT_FALSE(picture.Empty());
    const RECT frame = picture.Frame();
    EXPECT_NEAR(frame.right, MulDiv(200, 2540, ppi), 2);
    EXPECT_NEAR(frame.bottom, MulDiv(100, 2540, ppi), 2);
    EXPECT_NEAR(picture.Width(), 200, 1);
    const RECT bounds = picture.Bounds();
    EXPECT_EQ(bounds.left, 50);
    EXPECT_EQ(bounds.top, 25);
    EXPECT_GE(bounds.right, 69);

    // Played into twice the frame, the square lands at twice its place, not
    // stretched over the whole target.
    fw::TBitmap target(400, 200);
    target.Canvas()->Brush()->SetColor(fw::clWhite);
    target.Canvas()->FillRect(RECT{0, 0, 400, 200});
    target.Canvas()->StretchDraw(RECT{0, 0, 400, 200}, &picture);
    EXPECT_EQ(target.Canvas()->Pixels(120, 60), fw::clBlack);
    EXPECT_EQ(target.Canvas()->Pixels(20, 20), fw::clWhite);
    EXPECT_EQ(target.Canvas()->Pixels(300, 150), fw::clWhite);

    // An empty recording has no bounds.
    fw::TMetafile empty;
    { fw::TMetafileCanvas canvas(&empty, nullptr); }
    ASSERT_FALSE(empty.Empty());
    const RECT b = empty.Bounds();
    EXPECT_TRUE(b.right <= b.left || b.bottom <= b.top);
    EXPECT_GT(empty.Frame().right, 0);  // framed by the screen's area
}

}  // namespace
