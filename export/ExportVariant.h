#pragma once
// TztVariant: one value of a source row, tagged with its variant type code (the
// OLE VARTYPE numbers), so that the writers can treat numbers, texts, Booleans,
// dates and nulls as the formats require. A value type; copies are independent.
#include <cstdint>
#include <string>
#include <utility>

namespace zt {

enum TztVarType : uint16_t {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varSmallint = 0x0002,
    varInteger = 0x0003,
    varSingle = 0x0004,
    varDouble = 0x0005,
    varCurrency = 0x0006,
    varDate = 0x0007,
    varOleStr = 0x0008,
    varDispatch = 0x0009,
    varError = 0x000A,
    varBoolean = 0x000B,
    varVariant = 0x000C,
    varUnknown = 0x000D,
    varShortInt = 0x0010,
    varByte = 0x0011,
    varWord = 0x0012,
    varLongWord = 0x0013,
    varInt64 = 0x0014,
    varUInt64 = 0x0015,
    varStrArg = 0x0048,
    varString = 0x0100,
    varAny = 0x0101,
    varUString = 0x0102
};

class TztVariant {
public:
    TztVariant() = default;  // varEmpty
    TztVariant(const std::wstring& Text) : type_(varUString), text_(Text) {}
    TztVariant(std::wstring&& Text) : type_(varUString), text_(std::move(Text)) {}
    TztVariant(const wchar_t* Text) : type_(varUString), text_(Text ? Text : L"") {}

    static TztVariant Null() { return OfType(varNull); }
    static TztVariant Integer(int64_t Value, TztVarType Type = varInteger);
    static TztVariant Float(double Value, TztVarType Type = varDouble);
    // A date-time as days since 30 December 1899, the fraction being the time of day.
    static TztVariant Date(double Value) { return Float(Value, varDate); }
    static TztVariant Boolean(bool Value);
    static TztVariant Text(const std::wstring& Value, TztVarType Type = varUString);
    // A value of a type that carries nothing the writers read (varDispatch, ...).
    static TztVariant OfType(TztVarType Type);

    TztVarType VarType() const { return type_; }
    bool IsNull() const { return type_ == varNull; }
    bool IsEmpty() const { return type_ == varEmpty; }
    bool IsText() const {
        return type_ == varUString || type_ == varOleStr || type_ == varStrArg || type_ == varString;
    }
    int64_t AsInteger() const { return int_; }
    double AsDouble() const { return double_; }
    bool AsBoolean() const { return int_ != 0; }
    // The value as text: texts as they are, numbers in decimal, Booleans "True" or
    // "False", dates in the locale's default date-time form, empty and null as "".
    std::wstring AsString() const;
    // The text of a text value, without a copy (empty for other values).
    const std::wstring& TextRef() const { return borrowed_ ? *borrowed_ : text_; }
    // Makes this value the text Value, reusing the room of the text held before
    // (so a row's values can be refilled without an allocation per cell).
    void AssignText(const std::wstring& Value) {
        type_ = varUString;
        int_ = 0;
        double_ = 0;
        borrowed_ = nullptr;
        text_.assign(Value);
    }
    // Makes this value the text Value without copying it: Value must outlive
    // this use of the value (a source's own cell, for one row). A copy of the
    // value holds its own text.
    void BorrowText(const std::wstring& Value) {
        type_ = varUString;
        int_ = 0;
        double_ = 0;
        borrowed_ = &Value;
    }

    // Makes a lent text this value's own (a copy of it).
    void Own() {
        if (!borrowed_) return;
        text_ = *borrowed_;
        borrowed_ = nullptr;
    }

    TztVariant(const TztVariant& Other)
        : type_(Other.type_), int_(Other.int_), double_(Other.double_), text_(Other.TextRef()) {}
    TztVariant& operator=(const TztVariant& Other) {
        if (this != &Other) {
            type_ = Other.type_;
            int_ = Other.int_;
            double_ = Other.double_;
            text_ = Other.TextRef();
            borrowed_ = nullptr;
        }
        return *this;
    }
    TztVariant(TztVariant&&) noexcept = default;
    TztVariant& operator=(TztVariant&&) noexcept = default;

private:
    TztVarType type_ = varEmpty;
    int64_t int_ = 0;
    double double_ = 0;
    std::wstring text_;
    // A text held elsewhere (BorrowText), in place of text_.
    const std::wstring* borrowed_ = nullptr;
};

}  // namespace zt
