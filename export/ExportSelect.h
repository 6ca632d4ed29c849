#pragma once
// Tfrm_Selection: the export's format-selection window: a list of formats, a
// choice between viewing and writing a file, and an icon of the format, with
// Export and Cancel buttons. Owned by the export component, which binds the
// icon box's painter (OnPaintIcon). The window is a framework form with the
// framework's controls, made (with its images) only when first needed, so the
// object costs nothing without a display.
#include <windows.h>

#include <functional>
#include <string>

#include "export/ExportTypes.h"
#include "framework/Classes.h"

namespace fw {
class TButton;
class TComboBox;
class TForm;
class TGroupBox;
class TImageList;
class TPaintBox;
class TRadioButton;
}  // namespace fw

namespace zt {

class Tfrm_Selection : public fw::TComponent {
public:
    explicit Tfrm_Selection(fw::TComponent* AOwner);
    ~Tfrm_Selection() override;

    // Paints the icon box (a 40 x 40 area) on the device context given.
    std::function<void(HDC DC)> OnPaintIcon;

    // The image of a format: CSV 1, HTML 2, TXT 3, Word 4, Excel 5, TAB, DIF
    // and SYLK 6, clipboard 7, RTF 0.
    static int ImageIndex(TztExportType Type);
    // Draws the format's image at 0, 0 of DC.
    void DrawFormatIcon(HDC DC, TztExportType Type);
    // The window's handle, made on first use (null without a display).
    HWND Handle();
    // Shows the window modally; IDOK for Export, IDCANCEL for Cancel or closing.
    int ShowModal();
    // The form, made on first use.
    fw::TForm* Form();

    // The designed controls, as named in the design: made with the form (null before).
    fw::TButton* btn_Selection = nullptr;
    fw::TButton* btn_Cancel = nullptr;
    fw::TGroupBox* GroupBox = nullptr;
    fw::TComboBox* SelectionCombo = nullptr;
    fw::TRadioButton* rdo_View = nullptr;
    fw::TRadioButton* rdo_File = nullptr;
    fw::TPaintBox* IconImage = nullptr;

    // Design: caption and client size.
    static constexpr const wchar_t* DesignCaption = L"Exporting...";
    static constexpr int DesignClientWidth = 322;
    static constexpr int DesignClientHeight = 123;

protected:
    std::wstring ClassName() const override { return L"Tfrm_Selection"; }

private:
    fw::TImageList* Images();

    fw::TForm* form_ = nullptr;
    // The formats' images (31 x 31), made when first drawn.
    fw::TImageList* ImageList = nullptr;
};

}  // namespace zt
