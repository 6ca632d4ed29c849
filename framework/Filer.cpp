#include "framework/Filer.h"

#include "framework/Exception.h"

namespace fw {

namespace {

const wchar_t kInvalidValue[] = L"Invalid property value";
const wchar_t kInvalidFormat[] = L"Invalid stream format";

}  // namespace

// --- TWriter ---------------------------------------------------------------------------

void TWriter::WriteValue(TValueType Value) {
    stream_->WriteBuffer(&Value, 1);
}

void TWriter::WriteRawString(const std::wstring& Value) {
    const uint32_t length = uint32_t(Value.size());
    stream_->WriteBuffer(&length, sizeof(length));
    stream_->WriteBuffer(Value.data(), int64_t(length) * int64_t(sizeof(wchar_t)));
}

void TWriter::WritePropName(const std::wstring& Name) {
    // Never empty: a zero length would read as the end of the list.
    if (propPath_.empty() && Name.empty()) throw EWriteError(L"Stream write error");
    WriteRawString(propPath_ + Name);
}

void TWriter::WriteString(const std::wstring& Value) {
    WriteValue(TValueType::vaWString);
    WriteRawString(Value);
}

void TWriter::WriteInteger(int32_t Value) {
    WriteValue(TValueType::vaInt32);
    stream_->WriteBuffer(&Value, sizeof(Value));
}

// --- TReader ---------------------------------------------------------------------------

TValueType TReader::ReadValue() {
    uint8_t value = 0;
    stream_->ReadBuffer(&value, 1);
    switch (TValueType(value)) {
    case TValueType::vaNull:
    case TValueType::vaList:
    case TValueType::vaInt32:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaCollection:
    case TValueType::vaWString: return TValueType(value);
    }
    throw EReadError(kInvalidFormat);
}

TValueType TReader::NextValue() {
    // Not checked: a property name (whose first byte is its length's) may follow.
    uint8_t value = 0;
    stream_->ReadBuffer(&value, 1);
    stream_->Seek(-1, soCurrent);
    return TValueType(value);
}

void TReader::CheckValue(TValueType Value) {
    if (ReadValue() != Value) throw EReadError(kInvalidValue);
}

std::wstring TReader::ReadRawString() {
    uint32_t length = 0;
    stream_->ReadBuffer(&length, sizeof(length));
    // A length beyond the stream's end is a damaged stream, not a request for memory.
    const int64_t bytes = int64_t(length) * int64_t(sizeof(wchar_t));
    if (bytes > stream_->Size() - stream_->Position()) throw EReadError(kInvalidFormat);
    std::wstring text(length, L'\0');
    stream_->ReadBuffer(text.data(), bytes);
    return text;
}

std::wstring TReader::ReadStr() {
    return ReadRawString();
}

std::wstring TReader::ReadString() {
    CheckValue(TValueType::vaWString);
    return ReadRawString();
}

int32_t TReader::ReadInteger() {
    CheckValue(TValueType::vaInt32);
    int32_t value = 0;
    stream_->ReadBuffer(&value, sizeof(value));
    return value;
}

bool TReader::ReadBoolean() {
    const TValueType value = ReadValue();
    if (value == TValueType::vaTrue) return true;
    if (value == TValueType::vaFalse) return false;
    throw EReadError(kInvalidValue);
}

void TReader::SkipValue() {
    switch (ReadValue()) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue: return;
    case TValueType::vaInt32: {
        int32_t value = 0;
        stream_->ReadBuffer(&value, sizeof(value));
        return;
    }
    case TValueType::vaWString: ReadRawString(); return;
    case TValueType::vaList:
        while (!EndOfList()) SkipValue();
        ReadListEnd();
        return;
    case TValueType::vaCollection:
        while (!EndOfList()) {
            ReadListBegin();
            while (!EndOfList()) {
                ReadStr();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        return;
    }
}

}  // namespace fw
