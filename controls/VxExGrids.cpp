#include "controls/VxExGrids.h"

namespace vx {

TVxExStringGrid::TVxExStringGrid(fw::TComponent* AOwner) : TVxExWinCommon<fw::TStringGrid>(AOwner) {}

TVxExInplaceEditList::TVxExInplaceEditList(fw::TComponent* AOwner) : TVxExWinCommon<fw::TInplaceEditList>(AOwner) {}

}  // namespace vx
