#pragma once
// The enumerations, sets and event types shared by the export component, its
// option classes and its writers. Plain data: nothing here owns anything.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "export/ExportVariant.h"
#include "framework/Classes.h"

namespace zt {

// A small set of enumeration values, stored as bits (the enumerations here have
// at most 16 members, so every set fits the 16 bits the streamed form gives it).
template <class E>
class TztSet {
public:
    constexpr TztSet() = default;
    constexpr TztSet(std::initializer_list<E> Items) {
        for (E e : Items) bits_ |= Bit(e);
    }
    static constexpr TztSet FromBits(uint32_t Bits) {
        TztSet s;
        s.bits_ = Bits;
        return s;
    }
    constexpr uint32_t Bits() const { return bits_; }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TztSet& Include(E e) {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TztSet& Exclude(E e) {
        bits_ &= ~Bit(e);
        return *this;
    }
    constexpr TztSet operator+(TztSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TztSet operator-(TztSet o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr TztSet operator*(TztSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr bool operator==(const TztSet&) const = default;

private:
    static constexpr uint32_t Bit(E e) { return uint32_t(1) << unsigned(e); }
    uint32_t bits_ = 0;
};

enum TztExportType {
    xtHTML,
    xtExcel,
    xtWord,
    xtTXT,
    xtCSV,
    xtTAB,
    xtRTF,
    xtDIF,
    xtSYLK,
    xtClipboard
};
using TztExportTypeSet = TztSet<TztExportType>;
inline constexpr TztExportTypeSet AllExportTypes{xtHTML, xtExcel, xtWord, xtTXT,  xtCSV,
                                                 xtTAB,  xtRTF,   xtDIF,  xtSYLK, xtClipboard};

enum TztExportStyle {
    xsFile,
    xsView
};

enum TztExportOption {
    xoClipboardMessage,
    xoExportInvisibles,
    xoFooterLine,
    xoHeaderLine,
    xoRowNumbers,
    xoShowExportDate,
    xoShowHeader,
    xoShowProgress,
    xoSelectedRowsOnly,
    xoTruncate,
    xoUseAlignments
};
using TztExportOptionSet = TztSet<TztExportOption>;

enum TztExportError {
    xeInvalidFileName,
    xeFileExist,
    xeComponentIsNull,
    xeGeneralExportError,
    xeUserCancelled,
    // The document was written without some rows (or columns) of the source:
    // the spreadsheet's sheet has no room for them.
    xeRowsLeftOut,
    xeColumnsLeftOut,
    // The document was written, but the shell could not open it for viewing
    // (ViewedFileName and ViewResult say which file, and why).
    xeViewFailed
};

// One row of the source: a value per column.
using TztValues = std::vector<TztVariant>;

using TEventOnError = std::function<void(fw::TObject* Sender, TztExportError Error)>;
using TEventOnGetExtension = std::function<void(fw::TObject* Sender, std::wstring& Extension)>;
using TEventOnGetHeader = std::function<void(fw::TObject* Sender, uint32_t RecordCount, std::wstring& Header)>;
using TEventOnGetFooter = std::function<void(fw::TObject* Sender, uint32_t RecordCount, std::wstring& Footer)>;
using TEventOnExport = std::function<void(fw::TObject* Sender, uint32_t Current, uint32_t Total,
                                          const TztValues& Values, bool& CanExport)>;
using TEventOnFileExist =
    std::function<void(fw::TObject* Sender, const std::wstring& OutputFileName, bool& CanOverWrite)>;

// Option sets of the formats (their classes hold them).
enum TztExportHTMLOption {
    hoShowGridLines,
    hoBoldHeaders,
    hoAutoLink,
    hoOddRowColoring,
    hoDisplayTitle
};
using TztExportHTMLOptionSet = TztSet<TztExportHTMLOption>;
enum TztHTMLExtension {
    exHTM,
    exHTML
};
enum TztHTMLColorTemplate {
    ctStandard,
    ctBW,
    ctClassic,
    ctColorful,
    ctDark,
    ctGray,
    ctMSMoney,
    ctOlive,
    ctCustom
};

enum TztExportRTFOption {
    roShowGridLines,
    roOddRowColoring
};
using TztExportRTFOptionSet = TztSet<TztExportRTFOption>;
enum TztRTFColorTemplate {
    rtStandard,
    rtClassic,
    rtColorful,
    rtGray,
    rtCustom
};

enum TztExcelVersion {
    xls21,
    xls30,
    xls40,
    xls50
};
enum TztExportExcelOption {
    reCellsAsText,
    reSetColumnWidths,
    reSetMargins,
    reUseBorders
};
using TztExportExcelOptionSet = TztSet<TztExportExcelOption>;

}  // namespace zt
