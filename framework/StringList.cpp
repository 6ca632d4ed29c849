#include "framework/StringList.h"

#include <windows.h>

#include <algorithm>
#include <numeric>

#include "framework/Exception.h"
#include "framework/Streams.h"
#include "framework/SysUtils.h"

namespace fw {

namespace {

// Keeps BeginUpdate/EndUpdate paired when a batch throws half-way.
class UpdateScope {
public:
    explicit UpdateScope(TStrings* list) : list_(list) { list_->BeginUpdate(); }
    ~UpdateScope() { list_->EndUpdate(); }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    TStrings* list_;
};

std::wstring QuotedStr(const std::wstring& s, wchar_t quote) {
    std::wstring r(1, quote);
    for (wchar_t c : s) {
        r += c;
        if (c == quote) r += c;
    }
    return r + quote;
}

[[noreturn]] void SortedListError() {
    throw EStringListError(L"Operation not allowed on sorted list");
}

}  // namespace

// ---- TStrings -----------------------------------------------------------------

void TStrings::ErrorIndex(int Index) {
    throw EStringListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
}

TObject* TStrings::GetObject(int) const {
    return nullptr;
}

void TStrings::Put(int Index, const std::wstring& S) {
    UpdateScope update(this);
    TObject* object = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, object);
}

void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const std::wstring& S) {
    const int index = GetCount();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const std::wstring& S, TObject* AObject) {
    const int index = Add(S);
    PutObject(index, AObject);
    return index;
}

void TStrings::AddStrings(const TStrings* Strings) {
    if (!Strings) return;
    // A copy first: the source may be this list, or change as lines arrive.
    std::vector<std::pair<std::wstring, TObject*>> lines;
    for (int i = 0; i < Strings->Count(); ++i) lines.emplace_back(Strings->Strings(i), Strings->Objects(i));
    UpdateScope update(this);
    for (const auto& [text, object] : lines) AddObject(text, object);
}

void TStrings::InsertObject(int Index, const std::wstring& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

int TStrings::IndexOf(const std::wstring& S) const {
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

std::wstring TStrings::Text() const {
    std::wstring r;
    for (int i = 0; i < GetCount(); ++i) {
        r += Get(i);
        r += L"\r\n";
    }
    return r;
}

void TStrings::SetText(const std::wstring& Value) {
    UpdateScope update(this);
    Clear();
    const size_t n = Value.size();
    size_t p = 0;
    while (p < n) {
        const size_t start = p;
        while (p < n && Value[p] != L'\r' && Value[p] != L'\n') ++p;
        Add(Value.substr(start, p - start));
        if (p < n && Value[p] == L'\r') ++p;
        if (p < n && Value[p] == L'\n') ++p;
    }
}

std::wstring TStrings::DelimitedWith(wchar_t delimiter, wchar_t quote, bool strict) const {
    const int n = GetCount();
    // A lone empty line must not read back as no line at all.
    if (n == 1 && Get(0).empty()) return std::wstring(2, quote);
    std::wstring r;
    for (int i = 0; i < n; ++i) {
        const std::wstring s = Get(i);
        const bool quoted = std::any_of(
            s.begin(), s.end(), [&](wchar_t c) { return c == quote || c == delimiter || (!strict && c <= L' '); });
        if (i > 0) r += delimiter;
        r += quoted ? QuotedStr(s, quote) : s;
    }
    return r;
}

void TStrings::SetDelimitedWith(const std::wstring& value, wchar_t delimiter, wchar_t quote, bool strict) {
    UpdateScope update(this);
    Clear();
    const size_t n = value.size();
    size_t p = 0;
    auto skipBlanks = [&] {
        if (!strict)
            while (p < n && value[p] <= L' ') ++p;
    };
    skipBlanks();
    while (p < n) {
        std::wstring s;
        if (value[p] == quote) {
            // Up to the closing quote; a doubled quote stands for one.
            for (++p; p < n; ++p) {
                if (value[p] == quote) {
                    if (p + 1 < n && value[p + 1] == quote) {
                        s += quote;
                        ++p;
                    } else {
                        ++p;
                        break;
                    }
                } else {
                    s += value[p];
                }
            }
        } else {
            const size_t start = p;
            while (p < n && (strict || value[p] > L' ') && value[p] != delimiter) ++p;
            s = value.substr(start, p - start);
        }
        Add(s);
        skipBlanks();
        if (p < n && value[p] == delimiter) {
            if (p + 1 == n) Add(std::wstring());  // a delimiter at the end ends an empty line
            ++p;
            skipBlanks();
        }
    }
}

std::wstring TStrings::DelimitedText() const {
    return DelimitedWith(delimiter_, quoteChar_, strictDelimiter_);
}

void TStrings::SetDelimitedText(const std::wstring& Value) {
    SetDelimitedWith(Value, delimiter_, quoteChar_, strictDelimiter_);
}

void TStrings::BeginUpdate() {
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate() {
    if (updateCount_ <= 0) return;
    if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const std::wstring& S1, const std::wstring& S2) const {
    return AnsiCompareText(S1, S2);
}

void TStrings::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TStrings*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this) return;
    UpdateScope update(this);
    Clear();
    delimiter_ = source->delimiter_;
    quoteChar_ = source->quoteChar_;
    strictDelimiter_ = source->strictDelimiter_;
    AddStrings(source);
}

void TStrings::SaveToStream(TStream* Stream) const {
    const std::wstring text = Text();
    if (text.empty()) return;
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), bytes.data(), n, nullptr, nullptr);
    Stream->WriteBuffer(bytes.data(), n);
}

void TStrings::SaveToFile(const std::wstring& FileName) const {
    TSafeFileStream file(FileName);
    SaveToStream(&file);
    file.Commit();
}

// ---- TStringList --------------------------------------------------------------

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    if (ownsObjects_)
        for (Item& item : items_) delete item.object;
}

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= int(items_.size())) ErrorIndex(Index);
}

std::wstring TStringList::Get(int Index) const {
    CheckIndex(Index);
    return items_[size_t(Index)].text;
}

TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index);
    return items_[size_t(Index)].object;
}

int TStringList::Add(const std::wstring& S) {
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const std::wstring& S, TObject* AObject) {
    int index = int(items_.size());
    if (sorted_ && Find(S, index)) {
        switch (duplicates_) {
        case dupIgnore: return index;
        case dupError: throw EStringListError(L"String list does not allow duplicates");
        case dupAccept:
            // After its equals, so equal lines keep the order they came in.
            while (index < int(items_.size()) && CompareStrings(items_[size_t(index)].text, S) == 0) ++index;
            break;
        }
    }
    InsertItem(index, S, AObject);
    return index;
}

void TStringList::Insert(int Index, const std::wstring& S) {
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const std::wstring& S, TObject* AObject) {
    if (sorted_) SortedListError();
    if (Index < 0 || Index > int(items_.size())) ErrorIndex(Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::wstring& S, TObject* AObject) {
    Changing();
    items_.insert(items_.begin() + Index, Item{S, AObject});
    Changed();
}

void TStringList::Put(int Index, const std::wstring& S) {
    if (sorted_) SortedListError();
    CheckIndex(Index);
    Changing();
    items_[size_t(Index)].text = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    items_[size_t(Index)].object = AObject;
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    TObject* object = items_[size_t(Index)].object;
    items_.erase(items_.begin() + Index);
    if (ownsObjects_) delete object;
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    Changing();
    std::vector<Item> old;
    old.swap(items_);
    if (ownsObjects_)
        for (Item& item : old) delete item.object;
    Changed();
}

int TStringList::IndexOf(const std::wstring& S) const {
    if (!sorted_) return TStrings::IndexOf(S);
    int index;
    return Find(S, index) ? index : -1;
}

bool TStringList::Find(const std::wstring& S, int& Index) const {
    int low = 0, high = int(items_.size());
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (CompareStrings(items_[size_t(mid)].text, S) < 0) low = mid + 1;
        else high = mid;
    }
    Index = low;
    return low < int(items_.size()) && CompareStrings(items_[size_t(low)].text, S) == 0;
}

void TStringList::Sort() {
    if (items_.size() < 2) return;
    Changing();
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
    Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
    // A sorted list keeps its own order: Find depends on it.
    if (sorted_ || items_.size() < 2) return;
    Changing();
    // Sort positions, so Compare sees the lines where they are while it runs.
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order) sorted.push_back(std::move(items_[size_t(i)]));
    items_.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (sorted_ == Value) return;
    if (Value) Sort();
    sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (caseSensitive_ == Value) return;
    caseSensitive_ = Value;
    if (sorted_) Sort();
}

void TStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < int(items_.size()))
        throw EStringListError(L"List capacity out of bounds (" + std::to_wstring(NewCapacity) + L")");
    items_.reserve(size_t(NewCapacity));
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating) Changing();
    else Changed();
}

int TStringList::CompareStrings(const std::wstring& S1, const std::wstring& S2) const {
    return caseSensitive_ ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

}  // namespace fw
