#include "controls/VxMaxPixel.h"

#include "framework/ControlCanvas.h"

namespace vx {

TVxMaxPixel::TVxMaxPixel(fw::TControl* Control) : control_(Control), font_(std::make_unique<fw::TFont>()) {
    font_->OnChange = [this](fw::TObject*) { Changed(); };
}

TVxMaxPixel::~TVxMaxPixel() {
    font_->OnChange = nullptr;
}

void TVxMaxPixel::Changed() {
    if (OnChanged) OnChanged(this);
}

void TVxMaxPixel::SetLength(int Value) {
    if (Value == length_) return;
    length_ = Value;
    Changed();
}

void TVxMaxPixel::SetUseControlFont(bool Value) {
    if (Value == useControlFont_) return;
    useControlFont_ = Value;
    Changed();
}

void TVxMaxPixel::SetFont(fw::TFont* Value) {
    if (Value != font_.get()) font_->Assign(Value);
}

void DeleteLastCharacter(std::wstring& S) {
    if (S.empty()) return;
    const size_t n = S.size();
    const bool pair = n >= 2 && IS_LOW_SURROGATE(S[n - 1]) && IS_HIGH_SURROGATE(S[n - 2]);
    S.resize(n - (pair ? 2 : 1));
}

bool TVxMaxPixel::Test(std::wstring& S, fw::TFont* ControlFont) {
    if (length_ == 0) return true;
    fw::TControlCanvas canvas(control_);
    canvas.SetFont(useControlFont_ && ControlFont ? ControlFont : font_.get());
    const bool wider = canvas.TextWidth(S) > length_;
    while (!S.empty() && canvas.TextWidth(S) > length_) DeleteLastCharacter(S);
    return wider;
}

}  // namespace vx
