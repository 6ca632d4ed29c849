#include "shell/WideStringBuilder.h"

#include <cstring>

#include "framework/StringList.h"

namespace shell {

void TWideStringBuilder::Append(const std::wstring& Text) {
    const std::size_t needed = (length_ + Text.size() + 1) * sizeof(wchar_t);
    std::size_t capacity = Capacity();
    if (needed >= capacity) {
        while (needed >= capacity) capacity += growBy_;
        buffer_.resize(capacity / sizeof(wchar_t));
    }
    std::memcpy(buffer_.data() + length_, Text.c_str(), (Text.size() + 1) * sizeof(wchar_t));
    length_ += Text.size();
    if (zeroSeparated_) ++length_;
}

void TWideStringBuilder::AppendStrings(const std::vector<std::wstring>& Strings) {
    for (const std::wstring& s : Strings) Append(s);
    Append(std::wstring());
}

void TWideStringBuilder::AppendStrings(const fw::TStrings& Strings) {
    for (int i = 0; i < Strings.Count(); ++i) Append(Strings.Strings(i));
    Append(std::wstring());
}

}  // namespace shell
