#include "export/FormatWriter.h"

#include "export/DifSylkWriters.h"
#include "export/HTMLWriter.h"
#include "export/RTFWriter.h"
#include "export/SpreadsheetWriter.h"
#include "export/TextRoutines.h"
#include "export/TextWriters.h"

namespace zt {

void TztFormatWriter::WriteStream(std::wstring_view Text) {
    const std::string bytes = ztToAnsi(std::wstring(Text));
    doc_.Settings().outputStream->WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

void TztFormatWriter::AddFooterLines() {
    const std::wstring rule = SeparatorLine(false);
    if (!rule.empty()) doc_.lines.push_back(rule);
    for (const std::wstring& line : doc_.workLines) doc_.lines.push_back(line);
    if (doc_.Has(xoShowExportDate)) doc_.lines.push_back(doc_.CreatedLine());
}

std::unique_ptr<TztFormatWriter> ztCreateFormatWriter(TztExportType Type, TztExportDocument& Document) {
    switch (Type) {
    case xtHTML: return std::make_unique<TztHTMLWriter>(Document);
    case xtExcel: return std::make_unique<TztSpreadsheetWriter>(Document);
    case xtWord:
    case xtRTF: return std::make_unique<TztRTFWriter>(Document);
    case xtTXT: return std::make_unique<TztPaddedTextWriter>(Document);
    case xtCSV: return std::make_unique<TztCsvWriter>(Document);
    case xtTAB: return std::make_unique<TztTabWriter>(Document);
    case xtDIF: return std::make_unique<TztDifWriter>(Document);
    case xtSYLK: return std::make_unique<TztSylkWriter>(Document);
    case xtClipboard: return std::make_unique<TztClipboardWriter>(Document);
    }
    return std::make_unique<TztPaddedTextWriter>(Document);
}

}  // namespace zt
