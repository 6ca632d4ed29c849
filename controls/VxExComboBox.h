#pragma once
// The extended-control base of the combo-box family: the framework's combo box
// with the windowed set of the extended bases (component messages as
// overridable operations, hint colour, mouse enter and leave, focus, bounds,
// erase-background and dialog-code operations, the optional highlight frame).
// Created and owned like the framework's combo box.
#include "controls/VxExControls.h"
#include "framework/StdCtrls.h"

namespace vx {

class TVxExCustomComboBox : public TVxExWinCommon<fw::TCustomComboBox> {
public:
    explicit TVxExCustomComboBox(fw::TComponent* AOwner);

protected:
    std::wstring ClassName() const override { return L"TVxExCustomComboBox"; }
};

}  // namespace vx
