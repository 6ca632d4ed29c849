#pragma once
// Tfrm_ProgressForm: the export's progress window, a small tool window that
// stays on top, with a label and a bar, shown (not modal) while a document is
// written. Owned by the export component. The window is a framework form made
// when first started, with its label and bar on it; its handle only when it is
// first shown. Without a display nothing is shown, and the layout is still computed.
#include <windows.h>

#include <string>

#include "framework/Classes.h"

namespace fw {
class TForm;
class TLabel;
class TProgressBar;
}  // namespace fw

namespace zt {

class Tfrm_ProgressForm : public fw::TComponent {
public:
    explicit Tfrm_ProgressForm(fw::TComponent* AOwner);
    ~Tfrm_ProgressForm() override;

    // Sets the window up from the export's messages and shows it: size and
    // caption, the label (when Text is not empty) and a bar from 0 to Max.
    void Start(const std::wstring& Caption, const std::wstring& Text, int Width, int Height, int Max);
    void SetProgress(int Position);
    // Closes the window.
    void Finish();

    // The layout and state, as set up last.
    const std::wstring& Caption() const { return caption_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    const std::wstring& LabelText() const { return labelText_; }
    int BarLeft() const { return barLeft_; }
    int BarTop() const { return barTop_; }
    int BarWidth() const { return barWidth_; }
    int BarHeight() const { return barHeight_; }
    int BarMax() const { return barMax_; }
    int BarPosition() const { return barPosition_; }
    // How often the bar was drawn anew since the window was last started.
    int Repaints() const { return repaints_; }
    // The designed label and bar, as named in the design: made with the form at the
    // first start (null before), owned by it.
    fw::TLabel* ProgressLabel = nullptr;
    fw::TProgressBar* ProgressBar = nullptr;
    // The window as it is: null until first shown (and without a display).
    HWND Handle() const;
    bool Showing() const;

protected:
    std::wstring ClassName() const override { return L"Tfrm_ProgressForm"; }

private:
    void MakeForm();
    void ShowForm(bool WithLabel);

    std::wstring caption_ = L"frm_ProgressForm";
    int width_ = 0, height_ = 0, clientWidth_ = 186, clientHeight_ = 61;
    std::wstring labelText_ = L"ProgressLabel";
    int barLeft_ = 8, barTop_ = 32, barWidth_ = 169, barHeight_ = 16;
    int barMax_ = 100, barPosition_ = 0;
    // The bar is drawn anew at most ten times a second: a person sees no more,
    // and each drawing costs as much as writing thousands of rows.
    static constexpr unsigned kRepaintMs = 100;
    unsigned long long lastRepaint_ = 0;
    int repaints_ = 0;
    // Owned by this component (through the form, which owns its controls).
    fw::TForm* form_ = nullptr;
};

}  // namespace zt
