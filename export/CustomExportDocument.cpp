// The document writer of the export component: the common flow of a document,
// the text formats (TXT, CSV, TAB), the clipboard and the spreadsheet cells.
// HTML, RTF, DIF and SYLK add their parts in the files beside this one.
#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstring>

#include "export/CustomExport.h"
#include "export/CustomExportDocument.h"
#include "export/ExportProgress.h"
#include "export/ExportText.h"
#include "export/ExportTexts.h"
#include "framework/DateTime.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"

namespace {

// Thrown to end a document early (a refused overwrite); reported like any failure.
struct AbortDocument {};

bool IsTextFormat(TztExportType Type) {
    return Type == xtTXT || Type == xtClipboard;
}
bool IsRTF(TztExportType Type) {
    return Type == xtRTF || Type == xtWord;
}

// The lines as one text, each (the last included) ended by CR LF.
std::wstring JoinLines(const std::vector<std::wstring>& Lines) {
    size_t size = 0;
    for (const std::wstring& line : Lines) size += line.size() + 2;
    std::wstring text;
    text.reserve(size);
    for (const std::wstring& line : Lines) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

}  // namespace

// A text that a spreadsheet shows as the same text when it is stored as a
// number: a plain decimal number (optional minus, digits, optional fraction)
// whose value, written back in its shortest form, gives the text again.
bool ztPlainNumber(const std::wstring& Text, double& Value) {
    if (Text.empty() || Text.size() > 64) return false;
    std::string narrow;
    size_t i = 0;
    if (Text[0] == L'-') {
        narrow += '-';
        i = 1;
    }
    bool digits = false, point = false;
    for (; i < Text.size(); ++i) {
        const wchar_t c = Text[i];
        if (c >= L'0' && c <= L'9') {
            digits = true;
        } else if (c == L'.' && !point) {
            point = true;
        } else {
            return false;
        }
        narrow += char(c);
    }
    if (!digits || narrow.back() == '.' || narrow[narrow[0] == '-' ? 1 : 0] == '.') return false;
    double value = 0;
    const auto parsed = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != narrow.data() + narrow.size()) return false;
    char back[96];
    const auto written = std::to_chars(back, back + sizeof back, value, std::chars_format::fixed);
    if (written.ec != std::errc()) return false;
    if (std::string(back, written.ptr) != narrow) return false;
    if (value == 0 && narrow[0] == '-') return false;  // a sheet shows "-0" as 0
    Value = value;
    return true;
}

void ztSetClipboardText(const std::wstring& Text) {
    // The clipboard needs an owner window for the data to stay after emptying it.
    struct Owner {
        HWND handle = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        ~Owner() {
            if (handle) DestroyWindow(handle);
        }
    } owner;
    bool open = false;
    for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(owner.handle)); ++attempt)
        Sleep(20);  // another program may hold it for a moment
    if (!open) fw::RaiseLastOSError();
    struct Closer {
        ~Closer() { CloseClipboard(); }
    } closer;
    if (!EmptyClipboard()) fw::RaiseLastOSError();
    const size_t bytes = (Text.size() + 1) * sizeof(wchar_t);
    fw::GlobalHandle memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) fw::RaiseLastOSError();
    // Memory that cannot be filled is never handed over.
    {
        fw::GlobalLockGuard lock(memory.get());
        if (!lock.Data()) fw::RaiseLastOSError();
        memcpy(lock.Data(), Text.c_str(), bytes);
    }
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) fw::RaiseLastOSError();
    (void)memory.release();  // the clipboard owns it now
}

// ---- Column texts and widths ------------------------------------------------------

void TztCustomExport::PrepareColumnTexts(Document& Doc) {
    const int count = Doc.columnCount;
    Doc.exported.assign(size_t(count), false);
    Doc.captions.assign(size_t(count), std::wstring());
    Doc.widths.assign(size_t(count), 0);
    Doc.textWidths.assign(size_t(count), 0);
    for (int col = 0; col < count; ++col) {
        Doc.exported[size_t(col)] = options_.Contains(xoExportInvisibles) || ColumnExported(col);
        Doc.captions[size_t(col)] = col < captions_->Count() ? captions_->Strings(col) : ColumnCaption(col);
        int width = 0;
        if (!(col < columnWidths_->Count() && fw::TryStrToInt(columnWidths_->Strings(col), width)))
            width = NaturalColumnWidth(col);
        Doc.widths[size_t(col)] = width;
        // In the padded text a column holds its caption too, so rows and rules align.
        int textWidth = width;
        if (IsTextFormat(exportType_) && options_.Contains(xoShowHeader))
            textWidth = std::max(textWidth, int(Doc.captions[size_t(col)].size()));
        Doc.textWidths[size_t(col)] = textWidth;
    }
}

int TztCustomExport::GetColumnWidth(int Col) const {
    if (doc_ && Col >= 0 && Col < int(doc_->widths.size())) return doc_->widths[size_t(Col)];
    return 0;
}

int TztCustomExport::TextWidth(int Col) const {
    if (doc_ && Col >= 0 && Col < int(doc_->textWidths.size())) return doc_->textWidths[size_t(Col)];
    return 0;
}

bool TztCustomExport::IsColumnWritten(int Col) {
    if (doc_ && Col >= 0 && Col < int(doc_->exported.size())) return doc_->exported[size_t(Col)];
    return options_.Contains(xoExportInvisibles) || ColumnExported(Col);
}

std::wstring TztCustomExport::RowNumberText(uint32_t Number) const {
    // Only the first "%d" is the number; the rest of the format is literal.
    std::wstring text = rowNumberFormat_;
    const size_t at = text.find(L"%d");
    if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(Number));
    return text;
}

int TztCustomExport::RowNumberWidth() const {
    return int(RowNumberText(recordCount_).size());
}

std::wstring TztCustomExport::CellText(const TztVariant& Value, int Width) const {
    std::wstring text = Value.IsNull() ? ztResourceText(SztNullText) : Value.AsString();
    if (options_.Contains(xoTruncate) && Width >= 1 && int(text.size()) > Width)
        text = TruncateText(text, Width, truncateSymbol_);
    return text;
}

int TztCustomExport::GetTextTableWidth() const {
    int width = 0, columns = 0;
    if (doc_) {
        for (size_t col = 0; col < doc_->exported.size(); ++col) {
            if (!doc_->exported[col]) continue;
            width += doc_->textWidths[col];
            ++columns;
        }
    }
    if (columns > 1) width += columns - 1;
    if (options_.Contains(xoRowNumbers)) width += RowNumberWidth() + 1;
    return width;
}

std::wstring TztCustomExport::GetSeparatorLine(bool IsHeader) const {
    if (!options_.Contains(IsHeader ? xoHeaderLine : xoFooterLine)) return L"";
    if (exportType_ == xtHTML) return L"  <HR>";
    if (IsTextFormat(exportType_)) return RepeatChar(L'-', GetTextTableWidth());
    return L"";
}

std::wstring TztCustomExport::CreatedLine() const {
    // Joined, not formatted: a "%" in the text is just a character.
    return messages_->CreatedText() + L" " + fw::DateTimeToStr(fw::Now());
}

std::wstring TztCustomExport::CaptionLeadIn() const {
    switch (exportType_) {
    case xtTXT:
    case xtClipboard: return std::wstring(size_t(RowNumberWidth() + 1), L' ');
    // The caption row's cell in the row-number column is empty.
    case xtCSV: return L",";
    case xtTAB: return L"\t";
    default: return L"";
    }
}

// ---- Rows ----------------------------------------------------------------------------

std::wstring TztCustomExport::WriteRow(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    switch (exportType_) {
    case xtHTML: row = WriteHTMLCells(Values, IsHeader, RowNumbers); break;
    case xtRTF:
    case xtWord: row = WriteRTFCells(Values, IsHeader, RowNumbers); break;
    case xtDIF: row = WriteDIFCells(Values, IsHeader, RowNumbers); break;
    case xtSYLK: row = WriteSYLKCells(Values, IsHeader, RowNumbers); break;
    case xtExcel: WriteExcelCells(Values, IsHeader, RowNumbers); break;
    default: row = WriteTextCells(Values, IsHeader, RowNumbers); break;
    }
    ++recordNumber_;
    return row;
}

std::wstring TztCustomExport::WriteTextCells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    bool first = true;
    const wchar_t join = exportType_ == xtCSV ? L',' : exportType_ == xtTAB ? L'\t' : L' ';
    if (RowNumbers && !IsHeader) {
        const std::wstring number = RowNumberText(exportedCount_ + 1);
        if (exportType_ == xtCSV) row = CsvQuote(number, false) + L",";
        else if (exportType_ == xtTAB) row = number + L"\t";
        else row = PadLeft(number, L' ', RowNumberWidth()) + L" ";
    }
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!IsColumnWritten(int(col))) continue;
        const int width = TextWidth(int(col));
        const std::wstring text = CellText(Values[col], width);
        std::wstring cell;
        if (exportType_ == xtCSV) {
            cell = CsvQuote(text, false);
        } else if (exportType_ == xtTAB) {
            cell = text;
        } else {
            const int alignment = options_.Contains(xoUseAlignments) ? ColumnAlignment(int(col)) : 0;
            cell = alignment == 2   ? PadLeft(text, L' ', width)
                   : alignment == 3 ? Centre(text, width)
                                    : PadRight(text, L' ', width);
        }
        if (!first) row += join;
        row += cell;
        first = false;
    }
    return row;
}

// ---- Spreadsheet cells -----------------------------------------------------------------

void TztCustomExport::WriteExcelText(const std::wstring& Text, bool AsText) {
    double value = 0;
    if (!AsText && ztPlainNumber(Text, value)) {
        if (Text.find(L'.') == std::wstring::npos && value >= 0 && value <= 65535)
            excelWriter_->WriteInteger(uint16_t(value));
        else excelWriter_->WriteNumber(value);
    } else {
        excelWriter_->WriteLabel(Text);
    }
}

void TztCustomExport::WriteExcelCells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    TztNativeExcel* x = excelWriter_;
    const bool asText = excel_->Options().Contains(reCellsAsText);
    const TztExcelBorders borders = excel_->Options().Contains(reUseBorders)
                                        ? TztExcelBorders{ebTop, ebBottom, ebLeft, ebRight}
                                        : TztExcelBorders{};
    // The sheet ends at its last column: further cells would wrap into the next row.
    int column = x->Column();
    auto room = [&] { return column <= int(x->LastColumn()); };
    x->SetBorders(borders);
    if (RowNumbers && !IsHeader && room()) {
        x->SetActiveFont(2);
        WriteExcelText(RowNumberText(exportedCount_ + 1), asText);
        ++column;
    }
    x->SetActiveFont(IsHeader ? 1 : 2);
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!IsColumnWritten(int(col))) continue;
        if (!room()) break;
        if (options_.Contains(xoUseAlignments)) {
            static constexpr TztExcelAlignment kAlign[] = {eaGeneral, eaLeft, eaRight, eaCenter};
            const int a = ColumnAlignment(int(col));
            x->SetAlignment(a >= 0 && a <= 3 ? kAlign[a] : eaGeneral);
        }
        WriteExcelText(CellText(Values[col], GetColumnWidth(int(col))), asText);
        x->SetAlignment(eaGeneral);
        ++column;
    }
}

void TztCustomExport::WriteExcelHead() {
    TztNativeExcel* x = excelWriter_;
    x->SetFileName(doc_->fileName);
    x->SetMoveAfterEnter(maRight);
    x->SetRow(1);
    x->SetColumn(1);
    x->SetBorders({});
    x->SetAlignment(eaGeneral);
    static constexpr TztBIFFVersion kVersions[] = {bvBIFF2, bvBIFF3, bvBIFF4, bvBIFF5};
    x->SetBIFF(kVersions[excel_->ExcelVersion()]);
    x->BeginFile();
    x->WriteFont(excel_->DefaultFont());
    x->WriteFont(excel_->HeaderFont());
    x->WriteFont(excel_->TableFont());
    if (!excel_->Header().empty()) x->WriteHeader(excel_->Header());
    if (!excel_->Footer().empty()) x->WriteFooter(excel_->Footer());
    if (excel_->Options().Contains(reSetMargins)) {
        x->WriteLeftMargin(excel_->LeftMargin());
        x->WriteBottomMargin(excel_->BottomMargin());
        x->WriteTopMargin(excel_->TopMargin());
        x->WriteRightMargin(excel_->RightMargin());
    }
    if (excel_->Options().Contains(reSetColumnWidths)) x->WriteColWidth(1, 256, excel_->ColumnWidth());
}

// ---- Lines ---------------------------------------------------------------------------

void TztCustomExport::AddLines(const std::wstring& Text) {
    fw::TStringList lines;
    lines.SetText(Text);
    for (int i = 0; i < lines.Count(); ++i) doc_->workLines.push_back(lines.Strings(i));
}

void TztCustomExport::AddWorkLinesToDocument() {
    for (std::wstring& line : doc_->workLines) doc_->lines.push_back(std::move(line));
    doc_->workLines.clear();
}

void TztCustomExport::SaveLines(const std::wstring& FileName, bool Utf8Fallback) {
    // HTML names the character set the file is written in; the line is ASCII, so
    // it does not change which set that is.
    const bool html = exportType_ == xtHTML && doc_->metaLine != size_t(-1);
    if (html) doc_->lines[doc_->metaLine] = ztHTMLMetaLine(ztHTMLCharsetName(ztAnsiCodePage()));
    std::wstring text = JoinLines(doc_->lines);
    std::string bytes;
    if (!ztTryAnsi(text, bytes)) {
        if (html && Utf8Fallback) {
            doc_->lines[doc_->metaLine] = ztHTMLMetaLine(L"utf-8");
            text = JoinLines(doc_->lines);
        }
        bytes = ztDocumentBytes(text, Utf8Fallback);
    }
    fw::TFileStream file(FileName, fw::fmCreate);
    file.WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

void TztCustomExport::PutOnClipboard() {
    ztSetClipboardText(JoinLines(doc_->lines));
    if (options_.Contains(xoClipboardMessage)) ShowMessage(messages_->CopiedToClipboard(), MB_OK | MB_ICONINFORMATION);
}

// ---- The document ------------------------------------------------------------------------

void TztCustomExport::WriteDocument(const std::wstring& FileName) {
    written_ = false;
    if (OnBeginExport) OnBeginExport(this);
    Document doc;
    doc.fileName = FileName;
    doc_ = &doc;
    recordCount_ = uint32_t(std::max(0, GetRowCount()));
    const bool progress = options_.Contains(xoShowProgress);
    if (progress) SetupProgress();
    try {
        WriteDocumentBody(doc, FileName);
    } catch (...) {
        Error(xeGeneralExportError);
    }
    if (progress) CloseProgress();
    doc_ = nullptr;
    if (OnEndExport) OnEndExport(this);
}

void TztCustomExport::WriteDocumentBody(Document& Doc, const std::wstring& FileName) {
    const TztExportType type = exportType_;
    const bool rowNumbers = options_.Contains(xoRowNumbers);

    // 4. An existing target is overwritten unless the handler refuses.
    if (!FileName.empty() && fw::FileExists(FileName)) {
        bool canOverWrite = true;
        if (OnFileExist) OnFileExist(this, FileName, canOverWrite);
        if (!canOverWrite) {
            Error(xeFileExist);
            throw AbortDocument();
        }
    }

    // 5. Counters, first row, columns.
    currentRow_ = 0;
    exportedCount_ = 0;
    recordNumber_ = 1;
    FirstRow();
    Doc.columnCount = PrepareColumns();
    if (Doc.columnCount <= 0) return;
    PrepareColumnTexts(Doc);

    // 6. Head.
    switch (type) {
    case xtHTML: WriteHTMLHead(); break;
    case xtRTF:
    case xtWord: WriteRTFHead(); break;
    case xtDIF: WriteDIFHead(); break;
    case xtSYLK: WriteSYLKHead(); break;
    case xtExcel: WriteExcelHead(); break;
    default: break;
    }

    // 7. Header text.
    std::wstring header;
    if (OnGetHeader) OnGetHeader(this, recordCount_, header);
    AddLines(header);
    if (type == xtHTML) {
        const std::wstring line = GetSeparatorLine(true);
        if (!line.empty()) Doc.workLines.push_back(line);
        AddWorkLinesToDocument();
    } else if (IsRTF(type)) {
        WriteRTFParagraphs(Doc.workLines);
        WriteRTFHeadRest();
    } else if (type == xtExcel) {
        TztNativeExcel* x = excelWriter_;
        x->SetActiveFont(0);
        x->SetBorders({});
        x->SetMoveAfterEnter(maDown);
        for (const std::wstring& line : Doc.workLines) x->WriteLabel(line);
        if (!Doc.workLines.empty()) x->WriteBlank();
        x->SetMoveAfterEnter(maRight);
        AddWorkLinesToDocument();
    } else if (type == xtTXT || type == xtTAB || type == xtClipboard) {
        AddWorkLinesToDocument();
    }
    Doc.workLines.clear();

    // 8. Caption row.
    if (options_.Contains(xoShowHeader)) {
        TztValues captions;
        captions.reserve(Doc.captions.size());
        for (const std::wstring& caption : Doc.captions) captions.emplace_back(caption);
        if (type == xtHTML) WriteHTMLTableOpening(true);
        if (type == xtExcel && rowNumbers) {
            excelWriter_->SetActiveFont(1);
            excelWriter_->WriteBlank();
        }
        const std::wstring row = WriteRow(captions, true, rowNumbers);
        std::wstring leadIn;
        if (rowNumbers) leadIn = CaptionLeadIn();
        switch (type) {
        case xtHTML:
            if (rowNumbers) Doc.lines.push_back(L"    <TD>&nbsp;</TD>");
            if (!row.empty()) Doc.lines.push_back(row);
            Doc.lines.push_back(L"   </TR>");
            break;
        case xtRTF:
        case xtWord: WriteStream(RTFRowStart(true) + (rowNumbers ? L" \\cell " : L"") + row + RTFRowEnd()); break;
        case xtDIF:
            Doc.lines.push_back(L"-1,0\r\nBOT" + std::wstring(rowNumbers ? L"\r\n1,0\r\n\"\"" : L"") +
                                (row.empty() ? L"" : L"\r\n" + row));
            ++Doc.tuples;
            break;
        case xtSYLK:
            if (!row.empty()) Doc.lines.push_back(row);
            break;
        case xtExcel: break;
        default: Doc.lines.push_back(leadIn + row); break;
        }
    }

    // 9. Header rule; HTML without a caption row opens its table here.
    if (type != xtHTML) {
        const std::wstring line = GetSeparatorLine(true);
        if (!line.empty() && type != xtRTF && type != xtWord && type != xtDIF && type != xtSYLK)
            Doc.lines.push_back(line);
    } else if (!options_.Contains(xoShowHeader)) {
        WriteHTMLTableOpening(false);
    }

    // 10. Rows.
    const bool selectedOnly = options_.Contains(xoSelectedRowsOnly);
    const bool progress = options_.Contains(xoShowProgress);
    while (!EndOfRows()) {
        TztValues values = GetRowValues();
        bool canExport = selectedOnly ? RowSelected(int(currentRow_)) : true;
        if (OnExport) OnExport(this, currentRow_, recordCount_, values, canExport);
        if (progress) progressForm_->SetProgress(int(std::min<uint32_t>(currentRow_, 0x7FFFFFFF)));
        if (canExport && type == xtExcel) {
            // The sheet ends at its last row; the rows beyond it are not written.
            if (excelWriter_->Row() >= excelWriter_->LastRow()) {
                canExport = false;
            } else {
                excelWriter_->SetRow(uint16_t(excelWriter_->Row() + 1));
                excelWriter_->SetColumn(1);
            }
        }
        if (!canExport) {
            ++currentRow_;
            continue;
        }
        const std::wstring row = WriteRow(values, false, rowNumbers);
        switch (type) {
        case xtHTML:
            Doc.lines.push_back(HTMLRowStart(false));
            if (!row.empty()) Doc.lines.push_back(row);
            Doc.lines.push_back(L"   </TR>");
            break;
        case xtRTF:
        case xtWord: WriteStream(RTFRowStart(false) + row + RTFRowEnd()); break;
        case xtDIF:
            Doc.lines.push_back(L"-1,0\r\nBOT" + (row.empty() ? L"" : L"\r\n" + row));
            ++Doc.tuples;
            break;
        case xtSYLK:
            if (!row.empty()) Doc.lines.push_back(row);
            break;
        case xtExcel: break;
        default: Doc.lines.push_back(row); break;
        }
        ++currentRow_;
        ++exportedCount_;
    }

    // 11. Table ends.
    if (type == xtHTML) {
        Doc.lines.push_back(L"  </FONT>");
        Doc.lines.push_back(L"  </TABLE>");
    } else if (IsRTF(type)) {
        WriteStream(L"\\pard\\nowidctlpar\\widctlpar\\adjustright {\r\n");
    }

    // 12. Footer text and created line.
    std::wstring footer;
    if (OnGetFooter) OnGetFooter(this, recordCount_, footer);
    AddLines(footer);
    if (type != xtCSV && type != xtDIF && type != xtSYLK) {
        const std::wstring line = GetSeparatorLine(false);
        if (!line.empty()) Doc.lines.push_back(line);
        for (const std::wstring& text : Doc.workLines) Doc.lines.push_back(text);
        if (options_.Contains(xoShowExportDate)) {
            if (IsRTF(type)) Doc.workLines.push_back(CreatedLine());
            else Doc.lines.push_back(CreatedLine());
        }
    }

    // 13. Footer paragraphs and cells.
    if (IsRTF(type)) {
        WriteRTFParagraphs(Doc.workLines);
    } else if (type == xtExcel) {
        TztNativeExcel* x = excelWriter_;
        // Past the sheet's last row there is no room for the footer.
        if (x->Row() <= x->LastRow() - 2) {
            x->SetRow(uint16_t(x->Row() + 2));
            x->SetColumn(1);
            x->SetActiveFont(0);
            x->SetBorders({});
            x->SetMoveAfterEnter(maDown);
            for (const std::wstring& line : Doc.workLines) x->WriteLabel(line);
        }
    }

    // 14. Tail and save; 15. the clipboard.
    switch (type) {
    case xtHTML: WriteHTMLTail(FileName); break;
    case xtRTF:
    case xtWord:
        WriteStream(L"}}");
        outputStream_->SaveToFile(FileName);
        break;
    case xtDIF:
        Doc.lines.push_back(L"-1,0");
        Doc.lines.push_back(L"EOD");
        Doc.lines[Doc.tuplesLine] = L"0," + std::to_wstring(Doc.tuples);
        SaveLines(FileName, false);
        break;
    case xtSYLK:
        Doc.lines.push_back(L"E");
        SaveLines(FileName, false);
        break;
    case xtExcel:
        if (excel_->Protected()) excelWriter_->WriteProtect(true);
        excelWriter_->EndFile();
        excelWriter_->SaveToFile();
        break;
    case xtClipboard: PutOnClipboard(); break;
    default: SaveLines(FileName, true); break;
    }
    written_ = true;
}
