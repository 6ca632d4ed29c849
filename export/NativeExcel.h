#pragma once
// TztNativeExcel: writes one worksheet of the binary spreadsheet format, record
// by record, into a memory stream it owns, and saves it to a file. A component
// (heap-allocated, freed by its owner). It moves its cell cursor after each cell.
//
// Every record it writes has the layout of the format's first version (cells
// carry their attributes themselves), so the file is labelled as that version
// whatever `BIFF` says: readers take a file's records by its label. An XF record
// and a CODEPAGE record are written too, since readers need them for text cells.
#include <cstdint>
#include <memory>
#include <string>

#include "export/ExportTypes.h"
#include "export/ExportVariant.h"
#include "framework/Classes.h"
#include "framework/Streams.h"

namespace fw {
class TFont;
}

namespace zt {

enum TztBIFFVersion {
    bvBIFF2,
    bvBIFF3,
    bvBIFF4,
    bvBIFF5
};
enum TztMoveAfterEnter {
    maNone,
    maUp,
    maDown,
    maLeft,
    maRight
};
enum TztExcelBorder {
    ebTop,
    ebBottom,
    ebLeft,
    ebRight
};
using TztExcelBorders = TztSet<TztExcelBorder>;
enum TztExcelAlignment {
    eaGeneral,
    eaLeft,
    eaRight,
    eaCenter,
    eaFill,
    eaMultiPlan
};

class TztNativeExcel : public fw::TComponent {
public:
    explicit TztNativeExcel(fw::TComponent* AOwner);
    ~TztNativeExcel() override;

    TztBIFFVersion BIFF() const { return biff_; }
    // A different value restarts the file.
    void SetBIFF(TztBIFFVersion Value);
    const std::wstring& FileName() const { return fileName_; }
    // Any extension but ".XLS" (in any case) is replaced by ".XLS".
    void SetFileName(const std::wstring& Value);
    // 1-based position of the next cell; 0 and values past the dimensions are ignored.
    uint16_t Row() const { return row_; }
    void SetRow(uint16_t Value);
    uint16_t Column() const { return column_; }
    void SetColumn(uint16_t Value);
    // Index of the font the next cells use: only fonts written so far.
    uint8_t ActiveFont() const { return activeFont_; }
    void SetActiveFont(uint8_t Value);
    TztMoveAfterEnter MoveAfterEnter() const { return moveAfterEnter_; }
    void SetMoveAfterEnter(TztMoveAfterEnter Value) { moveAfterEnter_ = Value; }
    bool Shading() const { return shading_; }
    void SetShading(bool Value) { shading_ = Value; }
    TztExcelBorders Borders() const { return borders_; }
    void SetBorders(TztExcelBorders Value) { borders_ = Value; }
    TztExcelAlignment Alignment() const { return alignment_; }
    void SetAlignment(TztExcelAlignment Value) { alignment_ = Value; }
    bool Hidden() const { return hidden_; }
    void SetHidden(bool Value) { hidden_ = Value; }
    bool Locked() const { return locked_; }
    void SetLocked(bool Value) { locked_ = Value; }
    // "1.25": the writer's version.
    std::wstring Version() const;

    // The last row and column of the dimensions (1-based).
    uint16_t LastRow() const { return lastRow_; }
    uint16_t LastColumn() const { return lastColumn_; }
    // The rows and columns the sheet of the version written holds (the records
    // are the first version's, whose sheet ends at row 16,384 and column 256).
    static constexpr uint16_t SheetRows = 16384;
    static constexpr uint16_t SheetColumns = 256;
    // The number of fonts written since the file began.
    uint8_t FontCount() const { return fontCount_; }
    // 0 not begun, 1 begun, 2 ended.
    int State() const { return state_; }
    // The stream, with every record written so far.
    fw::TMemoryStream* Stream() const {
        Flush();
        return stream_.get();
    }

    virtual void BeginFile();
    virtual void EndFile();
    void SaveToFile();
    // Saves the stream to Name as it is (whatever its extension).
    void SaveToFile(const std::wstring& Name);

    void WriteBlank();
    void WriteInteger(uint16_t Value);
    void WriteNumber(double Value);
    void WriteLabel(const std::wstring& Text);
    // 0 TRUE, 1 FALSE, 2 #NULL!, 3 #DIV/0!, 4 #VALUE!, 5 #REF!, 6 #NAME?, 7 #NUM!, 8 #N/A.
    void WriteBoolErr(int Index);
    void WriteBoolean(bool Value) { WriteBoolErr(Value ? 0 : 1); }
    void WriteVariantCell(const TztVariant& Value);

    void WriteProtect(bool Value);
    void WriteHeader(const std::wstring& Text);
    void WriteFooter(const std::wstring& Text);
    // Columns 1-based; Width in characters.
    void WriteColWidth(int FirstCol, int LastCol, int Width);
    void WriteLeftMargin(double Value) { WriteMargin(0x0026, Value); }
    void WriteRightMargin(double Value) { WriteMargin(0x0027, Value); }
    void WriteTopMargin(double Value) { WriteMargin(0x0028, Value); }
    void WriteBottomMargin(double Value) { WriteMargin(0x0029, Value); }
    // At most four fonts; nothing for a null font or a fifth one.
    void WriteFont(fw::TFont* Font);
    // The same from a font's name, size in points and style bits
    // (bold 1, italic 2, underline 4, strike-out 8).
    void WriteFont(const std::wstring& Name, int Size, unsigned Style);

protected:
    std::wstring ClassName() const override { return L"TztNativeExcel"; }

private:
    void WriteRecordHeader(uint16_t Code, uint16_t Length);
    // The bytes a cell record starts with: header, position, attributes.
    static constexpr size_t kCellStart = 11;
    // Writes them to Out (kCellStart bytes, after a first cell's XF record has
    // gone to the stream) and moves the cursor; returns the end.
    uint8_t* CellStart(uint8_t* Out, uint16_t Code, uint16_t DataLength);
    // Kept back bytes go to the stream in pieces of this size.
    static constexpr size_t kPiece = 1 << 16;
    void WriteMargin(uint16_t Code, double Value);
    void WriteText8(const std::string& Bytes);
    void Put(const void* Data, size_t Size);
    void Put8(uint8_t Value) { Put(&Value, 1); }
    void Put16(uint16_t Value);
    void PutDouble(double Value);
    void MoveCursor();
    // Moves the bytes kept back into the stream.
    void Flush() const;

    std::unique_ptr<fw::TMemoryStream> stream_;
    // Bytes bound for the stream, kept until a large piece is ready: a cell's
    // small pieces cost no stream write each.
    mutable std::string pending_;
    // The bytes of the label in hand.
    std::string label_;
    TztBIFFVersion biff_ = bvBIFF5;
    std::wstring fileName_;
    uint16_t row_ = 1;
    uint16_t column_ = 1;
    uint8_t activeFont_ = 0;
    TztMoveAfterEnter moveAfterEnter_ = maRight;
    bool shading_ = false;
    TztExcelBorders borders_;
    TztExcelAlignment alignment_ = eaGeneral;
    bool hidden_ = false;
    bool locked_ = true;
    int state_ = 0;
    uint16_t firstRow_ = 0, lastRow_ = 65535, firstColumn_ = 0, lastColumn_ = 256;
    uint8_t fontCount_ = 0;
    bool xfWritten_ = false;
};

}  // namespace zt
