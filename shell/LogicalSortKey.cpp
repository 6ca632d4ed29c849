#include "shell/LogicalSortKey.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "shell/PathUtils.h"

namespace shell {

namespace {

bool IsDigit(wchar_t C) {
    return C >= L'0' && C <= L'9';
}

// Weights of printable ASCII, one for all digits; above every weight lies the
// room for the characters that have none.
struct TLogicalWeights {
    char32_t Char[128] = {};
    char32_t Digit = 0;
};

const TLogicalWeights& Weights() {
    static const TLogicalWeights weights = [] {
        std::vector<std::wstring> probes;
        for (wchar_t c = 0x20; c < 0x7F; ++c)
            if (!IsDigit(c)) probes.emplace_back(1, c);
        probes.emplace_back(1, L'5');
        std::stable_sort(probes.begin(), probes.end(),
                         [](const std::wstring& A, const std::wstring& B) { return CompareTextLogical(A, B) < 0; });
        TLogicalWeights result;
        char32_t weight = 1;
        for (size_t i = 0; i < probes.size(); ++i) {
            // Characters the comparison holds equal (a letter in either case) weigh the same.
            if (i > 0 && CompareTextLogical(probes[i - 1], probes[i]) != 0) ++weight;
            const wchar_t c = probes[i][0];
            if (IsDigit(c)) result.Digit = weight;
            else result.Char[c] = weight;
        }
        return result;
    }();
    return weights;
}

}  // namespace

std::u32string LogicalSortKey(const std::wstring& Text) {
    const TLogicalWeights& weights = Weights();
    std::u32string key;
    key.reserve(Text.size() + 4);
    for (size_t i = 0; i < Text.size();) {
        const wchar_t c = Text[i];
        if (IsDigit(c)) {
            // A number: its weight, its count of digits without leading zeros, its digits.
            size_t end = i;
            while (end < Text.size() && IsDigit(Text[end])) ++end;
            size_t first = i;
            while (first + 1 < end && Text[first] == L'0') ++first;
            key += weights.Digit;
            key += char32_t(end - first);
            for (size_t d = first; d < end; ++d) key += char32_t(Text[d]);
            i = end;
            continue;
        }
        key += c >= 0x20 && c < 0x7F ? weights.Char[c] : char32_t(0x10000 + uint32_t(c));
        ++i;
    }
    return key;
}

}  // namespace shell
