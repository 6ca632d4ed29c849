#include "export/ExportDocument.h"

#include <algorithm>

#include "export/ResourceTexts.h"
#include "export/TextRoutines.h"
#include "framework/DateTime.h"

namespace zt {

TztExportDocument::TztExportDocument(const TztDocumentSettings& Settings, TztRowCounters& Counters)
    : settings_(Settings), counters_(Counters) {}

int TztExportDocument::ExportedColumnCount() const {
    return int(std::count_if(columns.begin(), columns.end(), [](const Column& c) { return c.exported; }));
}

std::wstring TztExportDocument::CellText(const TztVariant& Value, int Width) const {
    std::wstring text = Value.IsNull() ? ztResourceText(SztNullText) : Value.AsString();
    if (Has(xoTruncate) && Width >= 1 && CharCount(text) > Width)
        text = TruncateText(text, Width, settings_.truncateSymbol);
    return text;
}

const std::wstring& TztExportDocument::CellText(const TztVariant& Value, int Width, std::wstring& Scratch) const {
    if (Value.IsText()) {
        const std::wstring& text = Value.TextRef();
        if (!Has(xoTruncate) || Width < 1 || int(text.size()) <= Width || CharCount(text) <= Width) return text;
    }
    Scratch = CellText(Value, Width);
    return Scratch;
}

std::wstring TztExportDocument::RowNumberText(uint32_t Number) const {
    // Only the first "%d" is the number; the rest of the format is literal.
    std::wstring text = settings_.rowNumberFormat;
    const size_t at = text.find(L"%d");
    if (at == std::wstring::npos) return text;
    std::wstring number;
    AppendDecimal(number, Number);
    text.replace(at, 2, number);
    return text;
}

int TztExportDocument::RowNumberWidth() const {
    if (rowNumberWidth_ < 0) rowNumberWidth_ = int(RowNumberText(counters_.recordCount).size());
    return rowNumberWidth_;
}

int TztExportDocument::TextTableWidth() const {
    int width = 0, count = 0;
    for (const Column& c : columns) {
        if (!c.exported) continue;
        width += c.textWidth;
        ++count;
    }
    if (count > 1) width += count - 1;
    if (Has(xoRowNumbers)) width += RowNumberWidth() + 1;
    return width;
}

std::wstring TztExportDocument::CreatedLine() const {
    // Joined, not formatted: a "%" in the text is just a character.
    return settings_.messages->CreatedText() + L" " + fw::DateTimeToStr(fw::Now());
}

std::wstring& TztExportDocument::NewLine() {
    constexpr size_t kBlock = 1 << 16;
    if (!lines.empty() && blockLine_ == lines.size() - 1 && lines.back().size() < kBlock) {
        newLineStart_ = lines.back().size();
        lines.back() += L"\r\n";
        return lines.back();
    }
    NarrowLastBlock();
    lines.push_back(std::move(spareBlock_));
    spareBlock_ = std::wstring();
    lines.back().clear();
    if (lines.back().capacity() < kBlock + 1024) lines.back().reserve(kBlock + 1024);
    blockLine_ = lines.size() - 1;
    newLineStart_ = std::wstring::npos;
    return lines.back();
}

void TztExportDocument::NarrowLastBlock() {
    const size_t line = blockLine_;
    blockLine_ = size_t(-1);
    if (line >= lines.size()) return;
    std::wstring& block = lines[line];
    std::string bytes;
    bytes.reserve(block.size());
    if (!AsciiInto(block.data(), block.size(), bytes)) return;
    narrow_.push_back({line, std::move(bytes)});
    spareBlock_ = std::move(block);
    block = std::wstring();
}

void TztExportDocument::DropNewLine() {
    if (newLineStart_ != std::wstring::npos) {
        lines.back().resize(newLineStart_);
        return;
    }
    lines.pop_back();
    blockLine_ = size_t(-1);
}

void TztExportDocument::AddWorkText(const std::wstring& Text) {
    fw::TStringList split;
    split.SetText(Text);
    for (int i = 0; i < split.Count(); ++i) workLines.push_back(split.Strings(i));
}

void TztExportDocument::MoveWorkLines() {
    for (std::wstring& line : workLines) lines.push_back(std::move(line));
    workLines.clear();
}

std::wstring TztExportDocument::JoinedLines() const {
    std::wstring text(JoinedLength(), L'\0');
    CopyJoined(text.data());
    return text;
}

size_t TztExportDocument::JoinedLength() const {
    size_t size = 0;
    VisitLines([&size](const std::wstring& Line) { size += Line.size() + 2; },
               [&size](const std::string& Bytes) { size += Bytes.size() + 2; });
    return size;
}

void TztExportDocument::CopyJoined(wchar_t* Out) const {
    auto end = [&Out] {
        *Out++ = L'\r';
        *Out++ = L'\n';
    };
    VisitLines(
        [&](const std::wstring& Line) {
            Out = std::copy(Line.begin(), Line.end(), Out);
            end();
        },
        [&](const std::string& Bytes) {
            Out = std::copy(Bytes.begin(), Bytes.end(), Out);  // ASCII: each byte is its character
            end();
        });
}

bool TztExportDocument::SaveAscii(const std::wstring& FileName) const {
    // In pieces, so the document is never held twice in memory.
    constexpr size_t kPiece = 1 << 20;
    fw::TSafeFileStream file(FileName);
    std::string piece;
    piece.reserve(kPiece + (1 << 17) + 4096);  // a narrow block may come last
    bool ascii = true;
    auto ended = [&] {
        piece += "\r\n";
        if (piece.size() >= kPiece) {
            file.WriteBuffer(piece.data(), int64_t(piece.size()));
            piece.clear();
        }
    };
    VisitLines(
        [&](const std::wstring& Line) {
            if (!ascii || !(ascii = AsciiInto(Line.data(), Line.size(), piece))) return;
            ended();
        },
        [&](const std::string& Bytes) {
            if (!ascii) return;
            piece += Bytes;
            ended();
        });
    if (!ascii) return false;
    file.WriteBuffer(piece.data(), int64_t(piece.size()));
    file.Commit();
    return true;
}

void TztExportDocument::SaveLines(const std::wstring& FileName, bool Utf8Fallback) const {
    // Most documents are plain ASCII: their bytes need no conversion of the whole text.
    if (!SaveAscii(FileName)) ztWriteFile(FileName, ztDocumentBytes(JoinedLines(), Utf8Fallback));
}

void ztWriteFile(const std::wstring& FileName, const std::string& Bytes) {
    fw::TSafeFileStream file(FileName);
    file.WriteBuffer(Bytes.data(), int64_t(Bytes.size()));
    file.Commit();
}

}  // namespace zt
