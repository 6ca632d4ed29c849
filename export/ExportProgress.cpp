#include "export/ExportProgress.h"

#include "export/ExportForms.h"
#include "framework/Exception.h"
#include "framework/Label.h"
#include "framework/ProgressBar.h"

namespace zt {

Tfrm_ProgressForm::Tfrm_ProgressForm(fw::TComponent* AOwner) : fw::TComponent(AOwner) {
    const SIZE frame = TztToolForm::FrameSize();
    width_ = clientWidth_ + frame.cx;
    height_ = clientHeight_ + frame.cy;
}

Tfrm_ProgressForm::~Tfrm_ProgressForm() {
    DestroyComponents();  // the form, and with it its label and bar
}

void Tfrm_ProgressForm::MakeForm() {
    if (form_) return;
    form_ = new TztToolForm(this, false);
    form_->SetCaption(caption_);
    ProgressLabel = new fw::TLabel(form_);
    ProgressLabel->SetParent(form_);
    ProgressLabel->SetBounds(8, 8, 100, 13);
    ProgressLabel->SetShowAccelChar(false);
    ProgressLabel->SetCaption(labelText_);
    ProgressBar = new fw::TProgressBar(form_);
    ProgressBar->SetParent(form_);
    form_->AfterConstruction();
}

void Tfrm_ProgressForm::Start(const std::wstring& Caption, const std::wstring& Text, int Width, int Height, int Max) {
    MakeForm();
    const SIZE frame = TztToolForm::FrameSize();
    caption_ = Caption;
    width_ = Width;
    height_ = Height;
    clientWidth_ = Width - frame.cx;
    clientHeight_ = Height - frame.cy;
    barLeft_ = 8;
    barWidth_ = clientWidth_ - 16;
    barPosition_ = 0;
    barMax_ = Max;
    if (!Text.empty()) {
        labelText_ = Text;
        ProgressLabel->SetBounds(8, 8, ProgressLabel->Width(), ProgressLabel->Height());
        ProgressLabel->SetCaption(Text);
        barTop_ = (height_ - clientHeight_) + (clientHeight_ - ProgressLabel->Height() - 16 - barHeight_) / 2;
    } else {
        barTop_ = ((height_ - clientHeight_) + (clientHeight_ - barHeight_ - 16)) / 2;
    }
    ShowForm(!Text.empty());
}

void Tfrm_ProgressForm::ShowForm(bool WithLabel) {
    form_->SetCaption(caption_);
    form_->SetBounds((GetSystemMetrics(SM_CXSCREEN) - width_) / 2, (GetSystemMetrics(SM_CYSCREEN) - height_) / 2,
                     width_, height_);
    ProgressLabel->SetVisible(WithLabel);
    ProgressBar->SetBounds(barLeft_, barTop_, barWidth_, barHeight_);
    ProgressBar->SetRange(0, barMax_);
    ProgressBar->SetPosition(0);
    repaints_ = 0;
    lastRepaint_ = GetTickCount64();
    try {
        form_->Show();
        form_->Update();
    } catch (const fw::Exception&) {
        // No desktop to show it on: the export goes on without it.
    }
}

void Tfrm_ProgressForm::SetProgress(int Position) {
    barPosition_ = Position;
    // Told of every row, the bar is drawn anew only as often as a person can see:
    // the clock is all a row costs.
    const unsigned long long now = GetTickCount64();
    if (now - lastRepaint_ < kRepaintMs || !ProgressBar || !ProgressBar->HandleAllocated() || barMax_ <= 0) return;
    lastRepaint_ = now;
    ++repaints_;
    ProgressBar->SetPosition(Position);
    ProgressBar->Update();
}

void Tfrm_ProgressForm::Finish() {
    if (form_) form_->Hide();
}

HWND Tfrm_ProgressForm::Handle() const {
    return form_ && form_->HandleAllocated() ? form_->Handle() : nullptr;
}

bool Tfrm_ProgressForm::Showing() const {
    const HWND wnd = Handle();
    return wnd && IsWindowVisible(wnd);
}

}  // namespace zt
