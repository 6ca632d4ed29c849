#pragma once
// Writing and reading objects' properties as a typed value stream, the format
// in which persistent objects save themselves: a property is its name followed
// by one value; lists and collections nest and end with a null value.
// TWriter and TReader are plain objects over a stream the caller owns. A stream
// that ends early or holds an unexpected value raises EReadError, so a reader
// never builds from garbage.
#include <cstdint>
#include <string>

#include "framework/Streams.h"

namespace fw {

enum class TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt32 = 4,
    vaFalse = 8,
    vaTrue = 9,
    vaCollection = 14,
    vaWString = 18,
};

class TWriter : public TObject {
public:
    explicit TWriter(TStream* Stream) : stream_(Stream) {}

    void WriteValue(TValueType Value);
    void WriteListBegin() { WriteValue(TValueType::vaList); }
    void WriteListEnd() { WriteValue(TValueType::vaNull); }
    // Writes the current property path followed by Name.
    void WritePropName(const std::wstring& Name);
    void WriteString(const std::wstring& Value);
    void WriteInteger(int32_t Value);
    void WriteBoolean(bool Value) { WriteValue(Value ? TValueType::vaTrue : TValueType::vaFalse); }

    // The prefix of every property name written (as "Font." for a nested object).
    const std::wstring& PropPath() const { return propPath_; }
    void SetPropPath(const std::wstring& Value) { propPath_ = Value; }

private:
    void WriteRawString(const std::wstring& Value);

    TStream* stream_;
    std::wstring propPath_;
};

class TReader : public TObject {
public:
    explicit TReader(TStream* Stream) : stream_(Stream) {}

    TValueType ReadValue();
    // The next value's type (unchecked), left in the stream.
    TValueType NextValue();
    bool EndOfList() { return NextValue() == TValueType::vaNull; }
    // EReadError "Invalid property value" when the next value is not Value.
    void CheckValue(TValueType Value);
    void ReadListBegin() { CheckValue(TValueType::vaList); }
    void ReadListEnd() { CheckValue(TValueType::vaNull); }
    // A property name.
    std::wstring ReadStr();
    std::wstring ReadString();
    int32_t ReadInteger();
    bool ReadBoolean();
    // Passes over one value (a whole list or collection).
    void SkipValue();

private:
    std::wstring ReadRawString();

    TStream* stream_;
};

}  // namespace fw
