// The document writer of the export component: the flow of one document, the
// same for every format; the format's writer (FormatWriter.h) adds its parts.
#include <windows.h>

#include <algorithm>

#include "export/CustomExport.h"
#include "export/ExportProgress.h"
#include "export/FormatWriter.h"
#include "export/HTMLWriter.h"
#include "export/RTFWriter.h"
#include "export/TextRoutines.h"
#include "framework/SysUtils.h"

namespace zt {

namespace {

// Thrown to end a document early (a refused overwrite); reported like any failure.
struct AbortDocument {};

}  // namespace

void TztCustomExport::WriteDocument(const std::wstring& FileName) {
    WriteDocument(FileName, nullptr);
}

void TztCustomExport::WriteDocument(const std::wstring& FileName, const TztDocumentSettings* Run) {
    written_ = false;
    if (OnBeginExport) OnBeginExport(this);
    counters_.recordCount = uint32_t(std::max(0, GetRowCount()));
    // The document's type and settings are fixed now at the latest: a handler
    // that asks the user something must not change the document under it.
    TztDocumentSettings settings = Run ? *Run : DocumentSettings(FileName);
    settings.fileName = FileName;
    const bool progress = settings.options.Contains(xoShowProgress);
    if (progress) SetupProgress();
    try {
        WriteDocumentBody(settings);
    } catch (...) {
        Error(xeGeneralExportError);
    }
    if (progress) CloseProgress();
    writer_.reset();
    doc_.reset();
    if (OnEndExport) OnEndExport(this);
}

void TztCustomExport::WriteDocumentBody(const TztDocumentSettings& Settings) {
    const std::wstring& FileName = Settings.fileName;
    if (!ConfirmOverwrite(FileName)) throw AbortDocument();
    counters_.currentRow = 0;
    counters_.exportedCount = 0;
    counters_.recordNumber = 1;
    FirstRow();
    const int columns = PrepareColumns();
    if (columns <= 0) return;

    doc_ = std::make_unique<TztExportDocument>(Settings, counters_);
    writer_ = ztCreateFormatWriter(Settings.type, *doc_);
    TztFormatWriter& writer = *writer_;
    doc_->columns.resize(size_t(columns));
    PrepareColumnTexts();

    writer.WriteHead();
    std::wstring header;
    if (OnGetHeader) OnGetHeader(this, counters_.recordCount, header);
    doc_->AddWorkText(header);
    writer.WriteHeaderText();
    doc_->workLines.clear();
    if (doc_->Has(xoShowHeader)) writer.WriteCaptionRow(CaptionValues());
    writer.WriteHeaderRule();
    WriteRows(writer);
    writer.WriteTableEnd();
    std::wstring footer;
    if (OnGetFooter) OnGetFooter(this, counters_.recordCount, footer);
    doc_->AddWorkText(footer);
    writer.WriteFooter();
    writer.Finish(FileName);
    written_ = true;
}

// An existing target is overwritten unless the handler refuses.
bool TztCustomExport::ConfirmOverwrite(const std::wstring& FileName) {
    if (FileName.empty() || !fw::FileExists(FileName)) return true;
    bool canOverWrite = true;
    if (OnFileExist) OnFileExist(this, FileName, canOverWrite);
    if (!canOverWrite) Error(xeFileExist);
    return canOverWrite;
}

TztDocumentSettings TztCustomExport::DocumentSettings(const std::wstring& FileName) {
    TztDocumentSettings s;
    s.type = exportType_;
    s.fileName = FileName;
    s.options = options_;
    s.truncateSymbol = truncateSymbol_;
    s.rowNumberFormat = rowNumberFormat_;
    s.className = ExportClassName();
    s.version = Version();
    s.columnWidths = columnWidths_.get();
    s.html = html_.get();
    s.rtf = docRtf_.get();
    s.excel = excel_.get();
    s.messages = messages_.get();
    s.excelWriter = excelWriter_;
    s.outputStream = outputStream_.get();
    s.report = [this](TztExportError Code) { Error(Code); };
    s.inform = [this](const std::wstring& Text) { ShowMessage(Text, MB_OK | MB_ICONINFORMATION); };
    return s;
}

void TztCustomExport::PrepareColumnTexts() {
    TztExportDocument& doc = *doc_;
    const bool padded = writer_->PadsColumns();
    for (int col = 0; col < doc.ColumnCount(); ++col) {
        TztExportDocument::Column& c = doc.columns[size_t(col)];
        c.exported = doc.Has(xoExportInvisibles) || ColumnExported(col);
        c.caption = col < captions_->Count() ? captions_->Strings(col) : ColumnCaption(col);
        // Asked once per document, not once per cell.
        c.alignment = ColumnAlignment(col);
        // A width matters to padded columns and to truncation only: the source
        // measures its cells for it only then.
        c.width = padded || doc.Has(xoTruncate) ? GetColumnWidth(col) : 0;
        // In the padded text a column holds its caption too, so rows and rules align.
        c.textWidth = c.width;
        if (padded && doc.Has(xoShowHeader)) c.textWidth = std::max(c.textWidth, CharCount(SingleLine(c.caption)));
    }
}

int TztCustomExport::GetColumnWidth(int Col) {
    int width = 0;
    if (Col >= 0 && Col < doc_->ColumnCount() && Col < columnWidths_->Count() &&
        fw::TryStrToInt(columnWidths_->Strings(Col), width))
        return width;
    // A padded column is as wide as what is written in it: a cell's breaks are written as blanks.
    return writer_->PadsColumns() ? NaturalLineWidth(Col) : NaturalColumnWidth(Col);
}

TztValues TztCustomExport::CaptionValues() const {
    TztValues captions;
    captions.reserve(doc_->columns.size());
    for (const TztExportDocument::Column& c : doc_->columns) captions.emplace_back(c.caption);
    return captions;
}

void TztCustomExport::WriteRows(TztFormatWriter& Writer) {
    const bool selectedOnly = doc_->Has(xoSelectedRowsOnly);
    const bool progress = doc_->Has(xoShowProgress);
    uint32_t& current = counters_.currentRow;
    TztValues values;
    while (!EndOfRows()) {
        // A row the document has no room for is read only for a handler to see.
        if (OnExport || Writer.HasRoom()) GetRowValuesInto(values);
        // A handler may change the source: the row it sees holds its own texts.
        if (OnExport)
            for (TztVariant& value : values) value.Own();
        bool canExport = selectedOnly ? RowSelected(int(current)) : true;
        if (OnExport) OnExport(this, current, counters_.recordCount, values, canExport);
        if (progress) progressForm_->SetProgress(int(std::min<uint32_t>(current, 0x7FFFFFFF)));
        if (canExport && Writer.BeginRow()) {
            Writer.WriteDataRow(values);
            ++counters_.exportedCount;
        }
        ++current;
    }
}

// ---- Pieces of the writer, as the component shows them ----------------------------------

std::wstring TztCustomExport::WriteRow(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    return writer_ ? writer_->WriteRow(Values, IsHeader, RowNumbers) : std::wstring();
}

std::wstring TztCustomExport::GetSeparatorLine(bool IsHeader) const {
    return writer_ ? writer_->SeparatorLine(IsHeader) : std::wstring();
}

int TztCustomExport::GetTextTableWidth() const {
    return doc_ ? doc_->TextTableWidth() : 0;
}

std::wstring TztCustomExport::CellText(const TztVariant& Value, int Width) const {
    TztRowCounters counters;
    TztDocumentSettings settings;
    settings.options = options_;
    settings.truncateSymbol = truncateSymbol_;
    return TztExportDocument(settings, counters).CellText(Value, Width);
}

std::wstring TztCustomExport::GetHTMLColor(int Kind) const {
    return ztHTMLColor(*html_, Kind);
}

std::wstring TztCustomExport::GetHTMLFontFace(int Kind) const {
    return ztHTMLFontFace(*html_, Kind);
}

bool TztCustomExport::IsLink(const std::wstring& Text) {
    return ztIsLink(Text);
}

fw::TColor TztCustomExport::GetRTFColor(int Kind) const {
    return ztRTFColor(*docRtf_, Kind);
}

std::wstring TztCustomExport::WriteRTFColor(int Kind) const {
    return ztRTFColorEntry(*docRtf_, Kind);
}

std::wstring TztCustomExport::WriteRTFFontTable(int Index, fw::TFont* Font) {
    return ztRTFFontEntry(Index, Font);
}

std::wstring TztCustomExport::GetRTFFontStyle(fw::TFont* Font) {
    return ztRTFFontStyle(Font);
}

void TztCustomExport::WriteStream(const std::wstring& Text) {
    if (writer_) {
        writer_->WriteStream(Text);
        return;
    }
    const std::string bytes = ztToAnsi(Text);
    outputStream_->WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

}  // namespace zt
