#include "export/ExportSelect.h"

#include <memory>

#include "export/ExportForms.h"
#include "export/ResourceTexts.h"
#include "framework/Bitmap.h"
#include "framework/Buttons.h"
#include "framework/Exception.h"
#include "framework/GroupBox.h"
#include "framework/ImageList.h"
#include "framework/PaintBox.h"
#include "framework/StdCtrls.h"

namespace zt {

namespace {

constexpr int kImageSize = 31;

// Each image: a page with a coloured band and the format family's short name.
struct ImageDesign {
    fw::TColor band;
    const wchar_t* label;
};
constexpr ImageDesign kImages[8] = {
    {fw::TColor(RGB(128, 0, 128)), L"RTF"}, {fw::TColor(RGB(0, 128, 0)), L"CSV"}, {fw::TColor(RGB(0, 64, 160)), L"HTM"},
    {fw::TColor(RGB(96, 96, 96)), L"TXT"},  {fw::TColor(RGB(0, 0, 192)), L"DOC"}, {fw::TColor(RGB(0, 128, 64)), L"XLS"},
    {fw::TColor(RGB(160, 96, 0)), L"TAB"},  {fw::TColor(RGB(192, 0, 0)), L"CLP"},
};

void DrawImage(fw::TCanvas* Canvas, const ImageDesign& Design) {
    Canvas->Brush()->SetColor(fw::clWhite);
    Canvas->FillRect(RECT{0, 0, kImageSize, kImageSize});
    Canvas->Brush()->SetColor(fw::clGray);
    Canvas->FrameRect(RECT{3, 1, kImageSize - 3, kImageSize - 1});
    RECT band{4, 17, kImageSize - 4, 28};
    Canvas->Brush()->SetColor(Design.band);
    Canvas->FillRect(band);
    Canvas->Font()->SetName(L"Tahoma");
    Canvas->Font()->SetHeight(-8);
    Canvas->Font()->SetStyle(fw::fsBold);
    Canvas->Font()->SetColor(fw::clWhite);
    Canvas->Brush()->SetStyle(fw::bsClear);
    const HDC dc = Canvas->Handle();
    DrawTextW(dc, Design.label, -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The control of Class placed on Parent at the designed bounds.
template <class T>
T* Place(fw::TComponent* Owner, fw::TWinControl* Parent, int Left, int Top, int Width, int Height) {
    auto* control = new T(Owner);
    control->SetParent(Parent);
    control->SetBounds(Left, Top, Width, Height);
    return control;
}

}  // namespace

Tfrm_Selection::Tfrm_Selection(fw::TComponent* AOwner) : fw::TComponent(AOwner) {}

Tfrm_Selection::~Tfrm_Selection() {
    OnPaintIcon = nullptr;
    DestroyComponents();  // the form before the images its box draws
}

int Tfrm_Selection::ImageIndex(TztExportType Type) {
    switch (Type) {
    case xtCSV: return 1;
    case xtHTML: return 2;
    case xtTXT: return 3;
    case xtWord: return 4;
    case xtExcel: return 5;
    case xtTAB:
    case xtDIF:
    case xtSYLK: return 6;
    case xtClipboard: return 7;
    case xtRTF: return 0;
    }
    return 0;
}

fw::TImageList* Tfrm_Selection::Images() {
    if (ImageList) return ImageList;
    ImageList = new fw::TImageList(this, kImageSize, kImageSize);
    for (const ImageDesign& design : kImages) {
        fw::TBitmap image(kImageSize, kImageSize);
        DrawImage(image.Canvas(), design);
        ImageList->Add(&image, nullptr);
    }
    return ImageList;
}

void Tfrm_Selection::DrawFormatIcon(HDC DC, TztExportType Type) {
    if (HIMAGELIST images = Images()->Handle()) ImageList_Draw(images, ImageIndex(Type), DC, 0, 0, ILD_NORMAL);
}

fw::TForm* Tfrm_Selection::Form() {
    if (form_) return form_;
    form_ = new TztToolForm(this);
    form_->SetCaption(DesignCaption);
    form_->SetClientSize(DesignClientWidth, DesignClientHeight);
    form_->SetPosition(fw::poScreenCenter);
    btn_Selection = Place<fw::TButton>(form_, form_, 240, 8, 75, 25);
    btn_Selection->SetCaption(ztResourceText(SztExportButton));
    btn_Selection->SetDefault(true);
    btn_Selection->SetModalResult(fw::mrOk);
    btn_Cancel = Place<fw::TButton>(form_, form_, 240, 40, 75, 25);
    btn_Cancel->SetCaption(ztResourceText(SztCancelButton));
    btn_Cancel->SetCancel(true);
    btn_Cancel->SetModalResult(fw::mrCancel);
    GroupBox = Place<fw::TGroupBox>(form_, form_, 8, 8, 225, 113);
    GroupBox->SetCaption(ztResourceText(SztSelectFormat) + L" ");
    SelectionCombo = Place<fw::TComboBox>(form_, GroupBox, 8, 24, 209, 21);
    SelectionCombo->SetStyle(fw::csDropDownList);
    SelectionCombo->SetTag(30);
    rdo_View = Place<fw::TRadioButton>(form_, GroupBox, 8, 60, 150, 17);
    rdo_View->SetCaption(ztResourceText(SztViewOnly));
    rdo_View->SetTag(10);
    rdo_File = Place<fw::TRadioButton>(form_, GroupBox, 8, 80, 150, 17);
    rdo_File->SetCaption(ztResourceText(SztExportToFile));
    rdo_File->SetTag(20);
    IconImage = Place<fw::TPaintBox>(form_, GroupBox, 176, 64, 40, 40);
    IconImage->OnPaint = [this](fw::TObject*) {
        if (OnPaintIcon) OnPaintIcon(IconImage->Canvas()->Handle());
    };
    form_->AfterConstruction();
    return form_;
}

HWND Tfrm_Selection::Handle() {
    try {
        return Form()->Handle();
    } catch (const fw::Exception&) {
        return nullptr;  // no desktop to make it on
    }
}

int Tfrm_Selection::ShowModal() {
    if (!Handle()) return IDCANCEL;
    const int result = Form()->ShowModal();
    return result == fw::mrOk ? IDOK : IDCANCEL;
}

}  // namespace zt
