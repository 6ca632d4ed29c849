// The check-box images of the selection states.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "shell/ZemSelectionList.h"
#include "shell/ZemSelectionStateImageList.h"

using namespace shell;

namespace {

// The pixels image Index leaves on a white 16x16 square.
std::vector<COLORREF> DrawnOnWhite(TZemSelectionStateImageList& List, int Index) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT r{0, 0, 16, 16};
    FillRect(dc, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(List.Handle(), Index, dc, 0, 0, ILD_TRANSPARENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(SelectionStateImagesTest, OneBlankImageThenAnImagePerState) {
    TZemSelectionStateImageList list(nullptr);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Width(), 16);
    EXPECT_EQ(list.Height(), 16);
    const std::vector<COLORREF> white(256, RGB(255, 255, 255));
    EXPECT_EQ(DrawnOnWhite(list, ssUnused), white);  // all see-through
    std::vector<std::vector<COLORREF>> drawn;
    for (int state = ssDisabled; state <= ssGrayed; ++state) {
        drawn.push_back(DrawnOnWhite(list, state));
        EXPECT_NE(drawn.back(), white) << state;
        for (COLORREF c : drawn.back()) ASSERT_NE(c, RGB(255, 0, 0)) << state;  // the red ground is the mask
    }
    EXPECT_NE(drawn[ssChecked - 1], drawn[ssUnChecked - 1]);
    EXPECT_NE(drawn[ssChecked - 1], drawn[ssGrayed - 1]);
}

}  // namespace
