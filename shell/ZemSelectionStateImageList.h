#pragma once
// TZemSelectionStateImageList: the 16x16 check-box images that show a
// TZemSelectionState as a control's state image: 0 blank, 1 unchecked and
// disabled (ssDisabled), 2 checked (ssChecked), 3 unchecked (ssUnChecked),
// 4 checked and disabled (ssGrayed, partly checked). Drawn with the theme's
// check-box parts when themes are on, else with the classic frame control.
// A component: new TZemSelectionStateImageList(owner); the owner frees it.
#include "framework/ImageList.h"

namespace shell {

class TZemSelectionStateImageList : public fw::TImageList {
public:
    explicit TZemSelectionStateImageList(fw::TComponent* AOwner);

protected:
    std::wstring ClassName() const override { return L"TZemSelectionStateImageList"; }

private:
    void AddStateImage(int ThemeState, UINT ClassicState, bool Blank);
};

}  // namespace shell
