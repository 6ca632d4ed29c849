#include "export/ExportOptions.h"

#include "export/ResourceTexts.h"

namespace zt {

namespace {

// A colour text of the HTML standard template.
unsigned StandardColorText(int Kind) {
    return ztColorTextValue(ztResourceText(SztHTMLColorFirst + unsigned(ctStandard) * 10 + unsigned(Kind)));
}

// The template texts name their colours in reading order (red first); as a
// colour value, red is the low byte.
fw::TColor StandardColor(int Kind) {
    const unsigned rgb = StandardColorText(Kind);
    return fw::TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

std::unique_ptr<fw::TFont> NewFont(bool Bold) {
    auto font = std::make_unique<fw::TFont>();
    if (Bold) font->SetStyle(fw::fsBold);
    return font;
}

}  // namespace

// ---- TztHTMLColors ----------------------------------------------------------

TztHTMLColors::TztHTMLColors()
    : background_(StandardColor(1)),
      defaultLink_(StandardColor(2)),
      visitedLink_(StandardColor(4)),
      activeLink_(StandardColor(0)),
      defaultText_(StandardColor(3)),
      tableFontColor_(StandardColor(9)),
      tableBackground_(StandardColor(7)),
      tableOddBackground_(StandardColor(8)),
      headerBackground_(StandardColor(5)),
      headersFontColor_(StandardColor(6)),
      defaultFontFace_(ztResourceText(SztDefaultFontFace)),
      tableFontFace_(ztResourceText(SztDefaultFontFace)) {}

void TztHTMLColors::AssignTo(fw::TPersistent* Dest) {
    auto* d = dynamic_cast<TztHTMLColors*>(Dest);
    if (!d) return fw::TPersistent::AssignTo(Dest);
    d->background_ = background_;
    d->defaultLink_ = defaultLink_;
    d->visitedLink_ = visitedLink_;
    d->activeLink_ = activeLink_;
    d->defaultText_ = defaultText_;
    d->tableFontColor_ = tableFontColor_;
    d->tableBackground_ = tableBackground_;
    d->tableOddBackground_ = tableOddBackground_;
    d->headerBackground_ = headerBackground_;
    d->headersFontColor_ = headersFontColor_;
    d->defaultFontFace_ = defaultFontFace_;
    d->tableFontFace_ = tableFontFace_;
}

// ---- TztRTFColors -----------------------------------------------------------

TztRTFColors::TztRTFColors()
    : tableBackground_(fw::TColor(StandardColorText(7))),
      tableOddBackground_(fw::TColor(StandardColorText(8))),
      headerBackground_(fw::TColor(StandardColorText(5))),
      defaultFont_(NewFont(false)),
      headerFont_(NewFont(true)),
      tableFont_(NewFont(false)) {}

TztRTFColors::~TztRTFColors() = default;

void TztRTFColors::AssignTo(fw::TPersistent* Dest) {
    auto* d = dynamic_cast<TztRTFColors*>(Dest);
    if (!d) return fw::TPersistent::AssignTo(Dest);
    d->tableBackground_ = tableBackground_;
    d->tableOddBackground_ = tableOddBackground_;
    d->headerBackground_ = headerBackground_;
    d->defaultFont_->Assign(defaultFont_.get());
    d->headerFont_->Assign(headerFont_.get());
    d->tableFont_->Assign(tableFont_.get());
}

// ---- TztHTMLOptions, TztRTFOptions --------------------------------------------

TztHTMLOptions::TztHTMLOptions() : customColors_(std::make_unique<TztHTMLColors>()) {}
TztHTMLOptions::~TztHTMLOptions() = default;

TztRTFOptions::TztRTFOptions() : customSettings_(std::make_unique<TztRTFColors>()) {}
TztRTFOptions::~TztRTFOptions() = default;

// ---- TztExcelOptions ----------------------------------------------------------

TztExcelOptions::TztExcelOptions()
    : defaultFont_(NewFont(false)), headerFont_(NewFont(true)), tableFont_(NewFont(false)) {}

TztExcelOptions::~TztExcelOptions() = default;

void TztExcelOptions::AssignTo(fw::TPersistent* Dest) {
    auto* d = dynamic_cast<TztExcelOptions*>(Dest);
    if (!d) return fw::TPersistent::AssignTo(Dest);
    d->defaultFont_->Assign(defaultFont_.get());
    d->headerFont_->Assign(headerFont_.get());
    d->tableFont_->Assign(tableFont_.get());
    d->excelVersion_ = excelVersion_;
    d->header_ = header_;
    d->footer_ = footer_;
    d->topMargin_ = topMargin_;
    d->bottomMargin_ = bottomMargin_;
    d->leftMargin_ = leftMargin_;
    d->rightMargin_ = rightMargin_;
    d->columnWidth_ = columnWidth_;
    d->options_ = options_;
    d->protected_ = protected_;
}

// ---- TztDocumentFilter, TztMessagesOptions --------------------------------------

TztDocumentFilter::TztDocumentFilter()
    : html_(ztResourceText(SztFilterHTML)),
      excel_(ztResourceText(SztFilterExcel)),
      word_(ztResourceText(SztFilterWord)),
      text_(ztResourceText(SztFilterText)),
      comma_(ztResourceText(SztFilterComma)),
      tab_(ztResourceText(SztFilterTab)),
      rtf_(ztResourceText(SztFilterRTF)),
      dif_(ztResourceText(SztFilterDIF)),
      sylk_(ztResourceText(SztFilterSYLK)) {}

TztMessagesOptions::TztMessagesOptions()
    : caption_(ztResourceText(SztExportCaption)),
      copiedToClipboard_(ztResourceText(SztCopiedToClipboard)),
      createdText_(ztResourceText(SztCreatedText)),
      text_(ztResourceText(SztProcessingText)),
      trueText_(ztResourceText(SztTrueText)),
      falseText_(ztResourceText(SztFalseText)),
      exportCaption_(ztResourceText(SztExportButton)),
      cancelCaption_(ztResourceText(SztCancelButton)),
      saveTitle_(ztResourceText(SztSaveTitle)),
      selectFormat_(ztResourceText(SztSelectFormat)),
      exportToFile_(ztResourceText(SztExportToFile)),
      viewOnly_(ztResourceText(SztViewOnly)),
      documentFilter_(std::make_unique<TztDocumentFilter>()) {}

TztMessagesOptions::~TztMessagesOptions() = default;

}  // namespace zt
