#include "shell/ZemSelectionStateImageList.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <vector>

namespace shell {

namespace {

constexpr int kSize = 16;

// The bitmap's pixels, to see whether a drawing changed anything.
std::vector<COLORREF> Pixels(HDC DC) {
    std::vector<COLORREF> pixels;
    pixels.reserve(kSize * kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) pixels.push_back(GetPixel(DC, x, y));
    return pixels;
}

bool DrawThemed(HDC DC, int ThemeState) {
    if (!IsThemeActive() || !IsAppThemed()) return false;
    HTHEME theme = OpenThemeData(nullptr, L"BUTTON");
    if (!theme) return false;
    const std::vector<COLORREF> before = Pixels(DC);
    RECT r{0, 0, kSize, kSize};
    const HRESULT hr = DrawThemeBackground(theme, DC, BP_CHECKBOX, ThemeState, &r, nullptr);
    CloseThemeData(theme);
    return SUCCEEDED(hr) && Pixels(DC) != before;
}

}  // namespace

TZemSelectionStateImageList::TZemSelectionStateImageList(fw::TComponent* AOwner) : fw::TImageList(AOwner) {
    SetSize(kSize, kSize);
    AddStateImage(0, 0, true);
    AddStateImage(CBS_UNCHECKEDDISABLED, DFCS_INACTIVE, false);
    AddStateImage(CBS_CHECKEDNORMAL, DFCS_CHECKED, false);
    AddStateImage(CBS_UNCHECKEDNORMAL, 0, false);
    AddStateImage(CBS_CHECKEDDISABLED, DFCS_CHECKED | DFCS_INACTIVE, false);
}

void TZemSelectionStateImageList::AddStateImage(int ThemeState, UINT ClassicState, bool Blank) {
    fw::TBitmap image(kSize, kSize);
    fw::TCanvas* canvas = image.Canvas();
    canvas->Brush()->SetColor(fw::clRed);
    canvas->FillRect(RECT{0, 0, kSize, kSize});
    if (!Blank) {
        HDC dc = canvas->Handle();
        if (!DrawThemed(dc, ThemeState)) {
            RECT r{2, 2, kSize - 1, kSize - 1};
            DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | ClassicState);
        }
    }
    // Red is the see-through colour: the blank image is all mask.
    AddMasked(&image, fw::clRed);
}

}  // namespace shell
