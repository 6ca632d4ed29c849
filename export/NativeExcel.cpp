#include "export/NativeExcel.h"

#include <windows.h>

#include <cstring>

#include "export/TextRoutines.h"
#include "framework/Graphics.h"
#include "framework/SysUtils.h"

namespace zt {

namespace {

constexpr uint16_t kWriterVersion = 281;  // shown as "1.25"

constexpr uint16_t kBOF = 0x0009, kDimensions = 0x0000, kBlank = 0x0001, kInteger = 0x0002, kNumber = 0x0003,
                   kLabel = 0x0004, kBoolErr = 0x0005, kEOF = 0x000A, kProtect = 0x0012, kHeader = 0x0014,
                   kFooter = 0x0015, kColWidth = 0x0024, kFont = 0x0031, kCodePage = 0x0042, kXF = 0x0043;

// Texts of the 8-bit records: the code page's characters, at most 255 bytes,
// never cut inside a double-byte character.
std::string Text8(const std::wstring& Text) {
    std::string bytes = ztToAnsi(Text.size() > 255 ? Text.substr(0, 255) : Text);
    if (bytes.size() > 255) {
        const unsigned codePage = ztAnsiCodePage();
        size_t keep = 0;
        for (size_t i = 0; i < bytes.size();) {
            const size_t n = IsDBCSLeadByteEx(codePage, BYTE(bytes[i])) ? 2 : 1;
            if (i + n > 255) break;
            i += n;
            keep = i;
        }
        bytes.resize(keep);
    }
    return bytes;
}

}  // namespace

TztNativeExcel::TztNativeExcel(fw::TComponent* AOwner)
    : fw::TComponent(AOwner), stream_(std::make_unique<fw::TMemoryStream>()) {
    BeginFile();
}

TztNativeExcel::~TztNativeExcel() = default;

void TztNativeExcel::SetBIFF(TztBIFFVersion Value) {
    if (Value == biff_) return;
    biff_ = Value;
    BeginFile();
}

void TztNativeExcel::SetFileName(const std::wstring& Value) {
    fileName_ = fw::SameText(fw::ExtractFileExt(Value), L".XLS") ? Value : fw::ChangeFileExt(Value, L".XLS");
}

void TztNativeExcel::SetRow(uint16_t Value) {
    if (Value != 0 && Value <= lastRow_) row_ = Value;
}

void TztNativeExcel::SetColumn(uint16_t Value) {
    if (Value != 0 && Value <= lastColumn_) column_ = Value;
}

void TztNativeExcel::SetActiveFont(uint8_t Value) {
    if (Value < fontCount_) activeFont_ = Value;
}

std::wstring TztNativeExcel::Version() const {
    return std::to_wstring(kWriterVersion >> 8) + L"." + std::to_wstring(kWriterVersion & 0xFF);
}

void TztNativeExcel::Put(const void* Data, size_t Size) {
    if (pending_.capacity() < kPiece + 512) pending_.reserve(kPiece + 512);
    pending_.append(static_cast<const char*>(Data), Size);
    if (pending_.size() >= kPiece) Flush();
}

void TztNativeExcel::Flush() const {
    if (pending_.empty()) return;
    stream_->WriteBuffer(pending_.data(), int64_t(pending_.size()));
    pending_.clear();
}

void TztNativeExcel::Put16(uint16_t Value) {
    const uint8_t bytes[2] = {uint8_t(Value & 0xFF), uint8_t(Value >> 8)};
    Put(bytes, 2);
}

void TztNativeExcel::PutDouble(double Value) {
    uint64_t bits;
    static_assert(sizeof bits == sizeof Value);
    std::memcpy(&bits, &Value, sizeof bits);
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = uint8_t(bits >> (8 * i));
    Put(bytes, 8);
}

void TztNativeExcel::BeginFile() {
    state_ = 1;
    fontCount_ = 0;
    activeFont_ = 0;  // no font is written yet: the cells fall back to the first
    xfWritten_ = false;
    pending_.clear();
    stream_->Clear();
    WriteRecordHeader(kBOF, 4);
    Put16(0x0200);
    Put16(0x0010);  // a worksheet
    WriteRecordHeader(kCodePage, 2);
    Put16(uint16_t(ztAnsiCodePage()));
    WriteRecordHeader(kDimensions, 8);
    Put16(firstRow_);
    Put16(lastRow_);
    Put16(firstColumn_);
    Put16(lastColumn_);
}

void TztNativeExcel::EndFile() {
    WriteRecordHeader(kEOF, 0);
    state_ = 2;
}

void TztNativeExcel::SaveToFile() {
    SaveToFile(fileName_);
}

void TztNativeExcel::SaveToFile(const std::wstring& Name) {
    Flush();
    stream_->SaveToFile(Name);
}

void TztNativeExcel::WriteRecordHeader(uint16_t Code, uint16_t Length) {
    if (state_ == 2) BeginFile();
    Put16(Code);
    Put16(Length);
}

void TztNativeExcel::MoveCursor() {
    switch (moveAfterEnter_) {
    case maNone: break;
    case maUp:
        if (row_ > 1) {
            --row_;
        } else if (column_ > 1) {
            row_ = lastRow_;
            --column_;
        }
        break;
    case maDown:
        if (row_ < lastRow_) {
            ++row_;
        } else if (column_ < lastColumn_) {
            row_ = 1;
            ++column_;
        }
        break;
    case maLeft:
        if (column_ > 1) {
            --column_;
        } else if (row_ > 1) {
            column_ = lastColumn_;
            --row_;
        }
        break;
    case maRight:
        if (column_ < lastColumn_) {
            ++column_;
        } else if (row_ < lastRow_) {
            column_ = 1;
            ++row_;
        }
        break;
    }
}

uint8_t* TztNativeExcel::CellStart(uint8_t* Out, uint16_t Code, uint16_t DataLength) {
    if (state_ == 2) BeginFile();
    if (!xfWritten_) {
        // The one cell format every cell refers to (index 0 in its attributes).
        WriteRecordHeader(kXF, 4);
        const uint8_t xf[4] = {0, 0, 0, 0};
        Put(xf, 4);
        xfWritten_ = true;
    }
    // The record's header, the cell's position and its attributes, in one piece.
    auto put16 = [&Out](uint16_t Value) {
        *Out++ = uint8_t(Value & 0xFF);
        *Out++ = uint8_t(Value >> 8);
    };
    put16(Code);
    put16(DataLength);
    put16(uint16_t(row_ - 1));
    put16(uint16_t(column_ - 1));
    uint8_t attributes[3] = {0, 0, 0};
    if (hidden_) attributes[0] |= 0x80;
    if (locked_) attributes[0] |= 0x40;
    attributes[1] = uint8_t(activeFont_ << 6);
    if (shading_) attributes[2] |= 0x80;
    static constexpr uint8_t kAlign[] = {0, 1, 3, 2, 4, 7};
    attributes[2] |= kAlign[alignment_];
    if (borders_.Contains(ebTop)) attributes[2] |= 0x20;
    if (borders_.Contains(ebBottom)) attributes[2] |= 0x40;
    if (borders_.Contains(ebLeft)) attributes[2] |= 0x08;
    if (borders_.Contains(ebRight)) attributes[2] |= 0x10;
    MoveCursor();
    for (const uint8_t a : attributes) *Out++ = a;
    return Out;
}

void TztNativeExcel::WriteBlank() {
    uint8_t record[kCellStart];
    Put(record, size_t(CellStart(record, kBlank, 7) - record));
}

void TztNativeExcel::WriteInteger(uint16_t Value) {
    uint8_t record[kCellStart + 2];
    uint8_t* end = CellStart(record, kInteger, 9);
    *end++ = uint8_t(Value & 0xFF);
    *end++ = uint8_t(Value >> 8);
    Put(record, size_t(end - record));
}

void TztNativeExcel::WriteNumber(double Value) {
    uint8_t record[kCellStart + 8];
    uint8_t* end = CellStart(record, kNumber, 15);
    uint64_t bits;
    static_assert(sizeof bits == sizeof Value);
    std::memcpy(&bits, &Value, sizeof bits);
    for (int i = 0; i < 8; ++i) *end++ = uint8_t(bits >> (8 * i));
    Put(record, size_t(end - record));
}

void TztNativeExcel::WriteText8(const std::string& Bytes) {
    Put8(uint8_t(Bytes.size()));
    Put(Bytes.data(), Bytes.size());
}

void TztNativeExcel::WriteLabel(const std::wstring& Text) {
    // A short ASCII text is its own bytes: no conversion and no new string; the
    // whole record goes to the stream in one piece.
    uint8_t record[kCellStart + 1 + 255];
    const size_t size = Text.size();
    if (size <= 255) {
        uint8_t* text = record + kCellStart + 1;
        unsigned gathered = 0;
        for (size_t i = 0; i < size; ++i) {
            gathered |= unsigned(Text[i]);
            text[i] = uint8_t(Text[i]);
        }
        if (gathered < 0x80) {
            uint8_t* end = CellStart(record, kLabel, uint16_t(8 + size));
            *end = uint8_t(size);
            Put(record, kCellStart + 1 + size);
            return;
        }
    }
    label_ = Text8(Text);
    uint8_t* end = CellStart(record, kLabel, uint16_t(8 + label_.size()));
    Put(record, size_t(end - record));
    WriteText8(label_);
}

void TztNativeExcel::WriteBoolErr(int Index) {
    static constexpr uint8_t kValues[9][2] = {{1, 0},  {0, 0},  {0, 1},  {7, 1}, {15, 1},
                                              {23, 1}, {29, 1}, {36, 1}, {42, 1}};
    if (Index < 0 || Index > 8) return;
    uint8_t record[kCellStart + 2];
    uint8_t* end = CellStart(record, kBoolErr, 9);
    *end++ = kValues[Index][0];
    *end++ = kValues[Index][1];
    Put(record, size_t(end - record));
}

void TztNativeExcel::WriteVariantCell(const TztVariant& Value) {
    switch (Value.VarType()) {
    case varEmpty: WriteBlank(); break;
    case varNull: WriteBoolErr(2); break;
    case varSmallint:
    case varInteger:
    case varByte:
        // The INTEGER record holds 16 unsigned bits; anything else is a number.
        if (Value.AsInteger() >= 0 && Value.AsInteger() <= 0xFFFF) WriteInteger(uint16_t(Value.AsInteger()));
        else WriteNumber(double(Value.AsInteger()));
        break;
    case varSingle:
    case varDouble:
    case varCurrency: WriteNumber(Value.AsDouble()); break;
    case varDate:
    case varOleStr:
    case varStrArg:
    case varString:
    case varUString: WriteLabel(Value.AsString()); break;
    case varBoolean: WriteBoolean(Value.AsBoolean()); break;
    case varVariant: WriteBoolErr(4); break;
    case varDispatch:
    case varError:
    case varUnknown:
    case varAny: WriteBoolErr(8); break;
    default: break;
    }
}

void TztNativeExcel::WriteProtect(bool Value) {
    WriteRecordHeader(kProtect, 2);
    Put16(Value ? 1 : 0);
}

void TztNativeExcel::WriteHeader(const std::wstring& Text) {
    const std::string bytes = Text8(Text);
    WriteRecordHeader(kHeader, uint16_t(1 + bytes.size()));
    WriteText8(bytes);
}

void TztNativeExcel::WriteFooter(const std::wstring& Text) {
    const std::string bytes = Text8(Text);
    WriteRecordHeader(kFooter, uint16_t(1 + bytes.size()));
    WriteText8(bytes);
}

void TztNativeExcel::WriteColWidth(int FirstCol, int LastCol, int Width) {
    WriteRecordHeader(kColWidth, 4);
    Put8(uint8_t(FirstCol - 1));
    Put8(uint8_t(LastCol - 1));
    const int width = Width * 256;
    Put16(uint16_t(width < 0 ? 0 : width > 0xFFFF ? 0xFFFF : width));
}

void TztNativeExcel::WriteMargin(uint16_t Code, double Value) {
    WriteRecordHeader(Code, 8);
    PutDouble(Value);
}

void TztNativeExcel::WriteFont(const std::wstring& Name, int Size, unsigned Style) {
    if (fontCount_ >= 4) return;
    ++fontCount_;
    const std::string bytes = Text8(Name);
    WriteRecordHeader(kFont, uint16_t(5 + bytes.size()));
    const int height = Size * 20;
    Put16(uint16_t(height < 0 ? 0 : height > 0xFFFF ? 0xFFFF : height));
    Put16(uint16_t(Style & 0x0F));
    WriteText8(bytes);
}

void TztNativeExcel::WriteFont(fw::TFont* Font) {
    if (!Font) return;
    const fw::TFontStyles styles = Font->Style();
    unsigned style = 0;
    if (styles & fw::fsBold) style |= 1;
    if (styles & fw::fsItalic) style |= 2;
    if (styles & fw::fsUnderline) style |= 4;
    if (styles & fw::fsStrikeOut) style |= 8;
    WriteFont(Font->Name(), Font->Size(), style);
}

}  // namespace zt
