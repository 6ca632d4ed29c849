#include "controls/VxExComboBox.h"

namespace vx {

TVxExCustomComboBox::TVxExCustomComboBox(fw::TComponent* AOwner) : TVxExWinCommon<fw::TCustomComboBox>(AOwner) {}

}  // namespace vx
