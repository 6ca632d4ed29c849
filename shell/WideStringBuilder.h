#pragma once
// A growing buffer of wide strings laid end to end, each with its terminating
// zero; with ZeroSeparated the zeros stay between them, so the buffer can carry
// a list of names such as the file block of a drop. The builder owns its buffer.
#include <cstddef>
#include <string>
#include <vector>

namespace fw {
class TStrings;
}

namespace shell {

class TWideStringBuilder {
public:
    TWideStringBuilder() = default;
    TWideStringBuilder(const TWideStringBuilder&) = delete;
    TWideStringBuilder& operator=(const TWideStringBuilder&) = delete;

    // Copies Text with its zero at the current end; grows the buffer by GrowBy
    // bytes at a time until the text and its zero fit.
    void Append(const std::wstring& Text);
    // Every string, then an empty one (with ZeroSeparated: the closing double zero).
    void AppendStrings(const std::vector<std::wstring>& Strings);
    void AppendStrings(const fw::TStrings& Strings);

    // Characters in use.
    std::size_t Length() const { return length_; }
    // Bytes allocated.
    std::size_t Capacity() const { return buffer_.size() * sizeof(wchar_t); }
    std::size_t SizeInBytes() const { return length_ * sizeof(wchar_t); }
    const wchar_t* Buffer() const { return buffer_.empty() ? nullptr : buffer_.data(); }

    std::size_t GrowBy() const { return growBy_; }
    void SetGrowBy(std::size_t Value) { growBy_ = Value < sizeof(wchar_t) ? sizeof(wchar_t) : Value; }
    bool ZeroSeparated() const { return zeroSeparated_; }
    void SetZeroSeparated(bool Value) { zeroSeparated_ = Value; }

private:
    std::vector<wchar_t> buffer_;
    std::size_t length_ = 0;
    std::size_t growBy_ = 1048576;
    bool zeroSeparated_ = false;
};

}  // namespace shell
