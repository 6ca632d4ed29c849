#pragma once
// The option classes of the export component: the colour sets of the custom
// templates (TztHTMLColors, TztRTFColors), the per-format options (TztHTMLOptions,
// TztRTFOptions, TztExcelOptions) and the texts (TztMessagesOptions with its
// TztDocumentFilter). Each is held and owned by its holder (the component or an
// enclosing option object); a setter of an owned sub-object copies the given
// object's contents. They hold data only; the writers read them.
#include <memory>
#include <string>

#include "export/ExportTypes.h"
#include "framework/Classes.h"
#include "framework/Graphics.h"

namespace zt {

// Colours and faces of the HTML template ctCustom. A new set shows the colours
// of the standard template.
class TztHTMLColors : public fw::TPersistent {
public:
    TztHTMLColors();
    // Every setting, for the owning form's stream (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;

    fw::TColor Background() const { return background_; }
    void SetBackground(fw::TColor Value) { background_ = Value; }
    fw::TColor DefaultLink() const { return defaultLink_; }
    void SetDefaultLink(fw::TColor Value) { defaultLink_ = Value; }
    const std::wstring& DefaultFontFace() const { return defaultFontFace_; }
    void SetDefaultFontFace(const std::wstring& Value) { defaultFontFace_ = Value; }
    fw::TColor VisitedLink() const { return visitedLink_; }
    void SetVisitedLink(fw::TColor Value) { visitedLink_ = Value; }
    fw::TColor ActiveLink() const { return activeLink_; }
    void SetActiveLink(fw::TColor Value) { activeLink_ = Value; }
    fw::TColor DefaultText() const { return defaultText_; }
    void SetDefaultText(fw::TColor Value) { defaultText_ = Value; }
    fw::TColor TableFontColor() const { return tableFontColor_; }
    void SetTableFontColor(fw::TColor Value) { tableFontColor_ = Value; }
    const std::wstring& TableFontFace() const { return tableFontFace_; }
    void SetTableFontFace(const std::wstring& Value) { tableFontFace_ = Value; }
    fw::TColor TableBackground() const { return tableBackground_; }
    void SetTableBackground(fw::TColor Value) { tableBackground_ = Value; }
    fw::TColor TableOddBackground() const { return tableOddBackground_; }
    void SetTableOddBackground(fw::TColor Value) { tableOddBackground_ = Value; }
    fw::TColor HeaderBackground() const { return headerBackground_; }
    void SetHeaderBackground(fw::TColor Value) { headerBackground_ = Value; }
    fw::TColor HeadersFontColor() const { return headersFontColor_; }
    void SetHeadersFontColor(fw::TColor Value) { headersFontColor_ = Value; }

protected:
    void AssignTo(fw::TPersistent* Dest) override;
    std::wstring ClassName() const override { return L"TztHTMLColors"; }

private:
    fw::TColor background_, defaultLink_, visitedLink_, activeLink_, defaultText_, tableFontColor_, tableBackground_,
        tableOddBackground_, headerBackground_, headersFontColor_;
    std::wstring defaultFontFace_, tableFontFace_;
};

// Colours and fonts of the RTF template rtCustom (the fonts serve every template).
class TztRTFColors : public fw::TPersistent {
public:
    TztRTFColors();
    // Every setting, for the owning form's stream (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;
    ~TztRTFColors() override;

    fw::TColor TableBackground() const { return tableBackground_; }
    void SetTableBackground(fw::TColor Value) { tableBackground_ = Value; }
    fw::TColor TableOddBackground() const { return tableOddBackground_; }
    void SetTableOddBackground(fw::TColor Value) { tableOddBackground_ = Value; }
    fw::TColor HeaderBackground() const { return headerBackground_; }
    void SetHeaderBackground(fw::TColor Value) { headerBackground_ = Value; }
    fw::TFont* DefaultFont() const { return defaultFont_.get(); }
    void SetDefaultFont(fw::TFont* Value) { defaultFont_->Assign(Value); }
    fw::TFont* HeaderFont() const { return headerFont_.get(); }
    void SetHeaderFont(fw::TFont* Value) { headerFont_->Assign(Value); }
    fw::TFont* TableFont() const { return tableFont_.get(); }
    void SetTableFont(fw::TFont* Value) { tableFont_->Assign(Value); }

protected:
    void AssignTo(fw::TPersistent* Dest) override;
    std::wstring ClassName() const override { return L"TztRTFColors"; }

private:
    fw::TColor tableBackground_, tableOddBackground_, headerBackground_;
    std::unique_ptr<fw::TFont> defaultFont_, headerFont_, tableFont_;
};

class TztHTMLOptions : public fw::TPersistent {
public:
    TztHTMLOptions();
    // Every setting, for the owning form's stream (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;
    ~TztHTMLOptions() override;

    TztExportHTMLOptionSet Options() const { return options_; }
    void SetOptions(TztExportHTMLOptionSet Value) { options_ = Value; }
    TztHTMLColors* CustomColors() const { return customColors_.get(); }
    void SetCustomColors(TztHTMLColors* Value) { customColors_->Assign(Value); }
    TztHTMLExtension Extension() const { return extension_; }
    void SetExtension(TztHTMLExtension Value) { extension_ = Value; }
    TztHTMLColorTemplate Template() const { return template_; }
    void SetTemplate(TztHTMLColorTemplate Value) { template_ = Value; }
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& Value) { title_ = Value; }

protected:
    std::wstring ClassName() const override { return L"TztHTMLOptions"; }

private:
    TztExportHTMLOptionSet options_{hoShowGridLines, hoBoldHeaders, hoAutoLink, hoOddRowColoring, hoDisplayTitle};
    std::unique_ptr<TztHTMLColors> customColors_;
    TztHTMLExtension extension_ = exHTML;
    TztHTMLColorTemplate template_ = ctStandard;
    std::wstring title_;
};

class TztRTFOptions : public fw::TPersistent {
public:
    TztRTFOptions();
    // Every setting, for the owning form's stream (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;
    ~TztRTFOptions() override;

    TztRTFColorTemplate Template() const { return template_; }
    void SetTemplate(TztRTFColorTemplate Value) { template_ = Value; }
    TztRTFColors* CustomSettings() const { return customSettings_.get(); }
    void SetCustomSettings(TztRTFColors* Value) { customSettings_->Assign(Value); }
    int CellWidth() const { return cellWidth_; }
    void SetCellWidth(int Value) { cellWidth_ = Value; }
    TztExportRTFOptionSet Options() const { return options_; }
    void SetOptions(TztExportRTFOptionSet Value) { options_ = Value; }
    int TopMargin() const { return topMargin_; }
    void SetTopMargin(int Value) { topMargin_ = Value; }
    int BottomMargin() const { return bottomMargin_; }
    void SetBottomMargin(int Value) { bottomMargin_ = Value; }
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int Value) { leftMargin_ = Value; }
    int RightMargin() const { return rightMargin_; }
    void SetRightMargin(int Value) { rightMargin_ = Value; }

protected:
    std::wstring ClassName() const override { return L"TztRTFOptions"; }

private:
    TztRTFColorTemplate template_ = rtStandard;
    std::unique_ptr<TztRTFColors> customSettings_;
    int cellWidth_ = 1400;
    TztExportRTFOptionSet options_{roShowGridLines, roOddRowColoring};
    int topMargin_ = 101, bottomMargin_ = 101, leftMargin_ = 461, rightMargin_ = 562;
};

class TztExcelOptions : public fw::TPersistent {
public:
    TztExcelOptions();
    // Every setting, for the owning form's stream (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;
    ~TztExcelOptions() override;

    fw::TFont* DefaultFont() const { return defaultFont_.get(); }
    void SetDefaultFont(fw::TFont* Value) { defaultFont_->Assign(Value); }
    fw::TFont* HeaderFont() const { return headerFont_.get(); }
    void SetHeaderFont(fw::TFont* Value) { headerFont_->Assign(Value); }
    fw::TFont* TableFont() const { return tableFont_.get(); }
    void SetTableFont(fw::TFont* Value) { tableFont_->Assign(Value); }
    TztExcelVersion ExcelVersion() const { return excelVersion_; }
    void SetExcelVersion(TztExcelVersion Value) { excelVersion_ = Value; }
    const std::wstring& Header() const { return header_; }
    void SetHeader(const std::wstring& Value) { header_ = Value; }
    const std::wstring& Footer() const { return footer_; }
    void SetFooter(const std::wstring& Value) { footer_ = Value; }
    double TopMargin() const { return topMargin_; }
    void SetTopMargin(double Value) { topMargin_ = Value; }
    double BottomMargin() const { return bottomMargin_; }
    void SetBottomMargin(double Value) { bottomMargin_ = Value; }
    double LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(double Value) { leftMargin_ = Value; }
    double RightMargin() const { return rightMargin_; }
    void SetRightMargin(double Value) { rightMargin_ = Value; }
    int ColumnWidth() const { return columnWidth_; }
    void SetColumnWidth(int Value) { columnWidth_ = Value; }
    TztExportExcelOptionSet Options() const { return options_; }
    void SetOptions(TztExportExcelOptionSet Value) { options_ = Value; }
    bool Protected() const { return protected_; }
    void SetProtected(bool Value) { protected_ = Value; }

protected:
    void AssignTo(fw::TPersistent* Dest) override;
    std::wstring ClassName() const override { return L"TztExcelOptions"; }

private:
    std::unique_ptr<fw::TFont> defaultFont_, headerFont_, tableFont_;
    TztExcelVersion excelVersion_ = xls50;
    std::wstring header_;
    std::wstring footer_ = L"&P";
    double topMargin_ = 0.3, bottomMargin_ = 0.3, leftMargin_ = 0.3, rightMargin_ = 0.3;
    int columnWidth_ = 20;
    TztExportExcelOptionSet options_{reSetMargins, reUseBorders};
    bool protected_ = false;
};

// Filter texts of a save dialog, one per format family.
class TztDocumentFilter : public fw::TPersistent {
public:
    TztDocumentFilter();
    // Every setting, for the owning form's stream (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;

    const std::wstring& HTML() const { return html_; }
    void SetHTML(const std::wstring& Value) { html_ = Value; }
    const std::wstring& Excel() const { return excel_; }
    void SetExcel(const std::wstring& Value) { excel_ = Value; }
    const std::wstring& Word() const { return word_; }
    void SetWord(const std::wstring& Value) { word_ = Value; }
    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& Value) { text_ = Value; }
    const std::wstring& Comma() const { return comma_; }
    void SetComma(const std::wstring& Value) { comma_ = Value; }
    const std::wstring& Tab() const { return tab_; }
    void SetTab(const std::wstring& Value) { tab_ = Value; }
    const std::wstring& RTF() const { return rtf_; }
    void SetRTF(const std::wstring& Value) { rtf_ = Value; }
    const std::wstring& DIF() const { return dif_; }
    void SetDIF(const std::wstring& Value) { dif_ = Value; }
    const std::wstring& SYLK() const { return sylk_; }
    void SetSYLK(const std::wstring& Value) { sylk_ = Value; }

protected:
    std::wstring ClassName() const override { return L"TztDocumentFilter"; }

private:
    std::wstring html_, excel_, word_, text_, comma_, tab_, rtf_, dif_, sylk_;
};

// The texts and sizes of the progress window, the format-selection window, the
// clipboard message and the created line.
class TztMessagesOptions : public fw::TPersistent {
public:
    TztMessagesOptions();
    // Every setting, for the owning form's stream (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;
    ~TztMessagesOptions() override;

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& Value) { caption_ = Value; }
    const std::wstring& CopiedToClipboard() const { return copiedToClipboard_; }
    void SetCopiedToClipboard(const std::wstring& Value) { copiedToClipboard_ = Value; }
    const std::wstring& CreatedText() const { return createdText_; }
    void SetCreatedText(const std::wstring& Value) { createdText_ = Value; }
    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& Value) { text_ = Value; }
    const std::wstring& TrueText() const { return trueText_; }
    void SetTrueText(const std::wstring& Value) { trueText_ = Value; }
    const std::wstring& FalseText() const { return falseText_; }
    void SetFalseText(const std::wstring& Value) { falseText_ = Value; }
    const std::wstring& ExportCaption() const { return exportCaption_; }
    void SetExportCaption(const std::wstring& Value) { exportCaption_ = Value; }
    const std::wstring& CancelCaption() const { return cancelCaption_; }
    void SetCancelCaption(const std::wstring& Value) { cancelCaption_ = Value; }
    const std::wstring& SaveTitle() const { return saveTitle_; }
    void SetSaveTitle(const std::wstring& Value) { saveTitle_ = Value; }
    const std::wstring& SelectFormat() const { return selectFormat_; }
    void SetSelectFormat(const std::wstring& Value) { selectFormat_ = Value; }
    const std::wstring& ExportToFile() const { return exportToFile_; }
    void SetExportToFile(const std::wstring& Value) { exportToFile_ = Value; }
    const std::wstring& ViewOnly() const { return viewOnly_; }
    void SetViewOnly(const std::wstring& Value) { viewOnly_ = Value; }
    int Height() const { return height_; }
    void SetHeight(int Value) { height_ = Value; }
    int Width() const { return width_; }
    void SetWidth(int Value) { width_ = Value; }
    TztDocumentFilter* DocumentFilter() const { return documentFilter_.get(); }

protected:
    std::wstring ClassName() const override { return L"TztMessagesOptions"; }

private:
    std::wstring caption_, copiedToClipboard_, createdText_, text_, trueText_, falseText_, exportCaption_,
        cancelCaption_, saveTitle_, selectFormat_, exportToFile_, viewOnly_;
    int height_ = 80;
    int width_ = 300;
    std::unique_ptr<TztDocumentFilter> documentFilter_;
};

}  // namespace zt
