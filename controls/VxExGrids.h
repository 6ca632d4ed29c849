#pragma once
// The extended-control bases of the grid family: TVxExStringGrid over the
// framework's TStringGrid and TVxExInplaceEditList over its in-place editor with
// a pick list (with TVxExPubInplaceEditList, its published form). Created and
// owned like their framework bases.
#include "controls/VxExControls.h"
#include "framework/Grids.h"

namespace vx {

class TVxExStringGrid : public TVxExWinCommon<fw::TStringGrid> {
public:
    explicit TVxExStringGrid(fw::TComponent* AOwner);

protected:
    std::wstring ClassName() const override { return L"TVxExStringGrid"; }
};

class TVxExInplaceEditList : public TVxExWinCommon<fw::TInplaceEditList> {
public:
    explicit TVxExInplaceEditList(fw::TComponent* AOwner);

protected:
    std::wstring ClassName() const override { return L"TVxExInplaceEditList"; }
};

class TVxExPubInplaceEditList : public TVxExInplaceEditList {
public:
    using TVxExInplaceEditList::TVxExInplaceEditList;

protected:
    std::wstring ClassName() const override { return L"TVxExPubInplaceEditList"; }
};

}  // namespace vx
