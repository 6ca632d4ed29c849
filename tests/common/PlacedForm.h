#pragma once
// A form the tests place at a known spot, and a control that fills it. The form
// owns the control; the test frees the form.
#include "framework/Forms.h"

namespace testenv {

inline fw::TForm* NewPlacedForm(int Left, int Top, int Width, int Height) {
    auto* form = new fw::TForm(nullptr);
    form->SetPosition(fw::poDesigned);
    form->SetBounds(Left, Top, Width, Height);
    return form;
}

template <class Control>
Control* NewFillingControl(fw::TForm* Form) {
    auto* control = new Control(Form);
    control->SetAlign(fw::alClient);
    control->SetParent(Form);
    return control;
}

}  // namespace testenv
