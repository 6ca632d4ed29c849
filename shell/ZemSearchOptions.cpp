#include "shell/ZemSearchOptions.h"

#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "shell/ShellEntryPoints.h"

#include <cwchar>

namespace shell {

TZemSearchOptions::TZemSearchOptions() : masks_(std::make_unique<fw::TStringList>()) {}

TZemSearchOptions::~TZemSearchOptions() = default;

void TZemSearchOptions::Assign(fw::TPersistent* Source) {
    auto* source = dynamic_cast<TZemSearchOptions*>(Source);
    if (!source) {
        fw::TPersistent::Assign(Source);
        return;
    }
    SetCreationDateMax(source->CreationDateMax());
    SetCreationDateMin(source->CreationDateMin());
    SetAccessDateMax(source->AccessDateMax());
    SetAccessDateMin(source->AccessDateMin());
    SetLastWriteDateMax(source->LastWriteDateMax());
    SetLastWriteDateMin(source->LastWriteDateMin());
    SetRecursiveSearch(source->RecursiveSearch());
    SetFilesOnly(source->FilesOnly());
    SetMaxFileSize(source->MaxFileSize());
    SetMinFileSize(source->MinFileSize());
    SetAutoWildcard(source->AutoWildcard());
    SetFilter(source->Filter());
    SetIncludeHidden(source->IncludeHidden());
    UseFullPathWhenComparing = source->UseFullPathWhenComparing;
}

void TZemSearchOptions::SetDate(TDateLimit Limit, fw::TDateTime Value) {
    dates_[Limit].Value = Value;
    dates_[Limit].Time = LocalDateTimeToUtcFileTime(Value);
}

void TZemSearchOptions::SetFilter(const std::wstring& Value) {
    if (Value.empty()) {
        SetFilter(L"*");
        return;
    }
    filter_ = Value;
    masks_->Clear();
    ParseFilter(Value, L";");
}

void TZemSearchOptions::SetAutoWildcard(bool Value) {
    autoWildcard_ = Value;
    masks_->Clear();
    ParseFilter(filter_, L";");
}

void TZemSearchOptions::ParseFilter(const std::wstring& Text, const std::wstring& Separator) {
    filterParsed_ = true;
    fw::TStringList items;
    SplitMaskList(Text, Separator, &items);
    for (int i = 0; i < items.Count(); ++i) {
        std::wstring mask = items.Strings(i);
        // A blank item would turn into "**" and list everything.
        if (mask.empty()) continue;
        if (autoWildcard_ && mask.find_first_of(L"*?") == std::wstring::npos) mask = L"*" + mask + L"*";
        masks_->Add(mask);
    }
}

bool TZemSearchOptions::Matches(const WIN32_FIND_DATAW& FindData, const std::wstring& Folder) const {
    const std::wstring name(FindData.cFileName, wcsnlen(FindData.cFileName, MAX_PATH));
    if (name == L"." || name == L"..") return false;
    if (filesOnly_ && (FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (filterParsed_ && masks_->Count() == 0) return false;
    if (masks_->Count() > 0) {
        bool passed = false;
        for (int i = 0; i < masks_->Count() && !passed; ++i) {
            const std::wstring mask = masks_->Strings(i);
            passed = MatchesMask(name, mask) || (UseFullPathWhenComparing && MatchesMask(Folder + name, mask));
        }
        if (!passed) return false;
    }
    const int64_t size = int64_t((uint64_t(FindData.nFileSizeHigh) << 32) | FindData.nFileSizeLow);
    if (size < minFileSize_) return false;
    if (maxFileSize_ >= 0 && size > maxFileSize_) return false;
    if ((FindData.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) && !includeHidden_) return false;
    return MatchesDates(FindData);
}

bool TZemSearchOptions::MatchesDates(const WIN32_FIND_DATAW& FindData) const {
    struct Check {
        TDateLimit limit;
        const FILETIME& time;
        bool isMax;
    };
    const Check checks[] = {
        {CreationMax, FindData.ftCreationTime, true},   {CreationMin, FindData.ftCreationTime, false},
        {AccessMax, FindData.ftLastAccessTime, true},   {AccessMin, FindData.ftLastAccessTime, false},
        {LastWriteMax, FindData.ftLastWriteTime, true}, {LastWriteMin, FindData.ftLastWriteTime, false},
    };
    for (const Check& c : checks) {
        const TDateValue& limit = dates_[c.limit];
        if (!(limit.Value > 1.0)) continue;
        const LONG order = CompareFileTime(&c.time, &limit.Time);
        if (c.isMax ? order > 0 : order < 0) return false;
    }
    return true;
}

void SplitMaskList(const std::wstring& Text, const std::wstring& Separator, fw::TStrings* List) {
    if (!List) return;
    std::wstring text = Text;
    if (Separator.empty()) {
        if (!fw::Trim(text).empty()) List->Add(fw::Trim(text));
        return;
    }
    std::size_t p = text.find(Separator);
    while (p != std::wstring::npos) {
        List->Add(fw::Trim(text.substr(0, p)));
        text = fw::Trim(text.substr(p + Separator.size(), 10000));
        p = text.find(Separator);
    }
    if (!fw::Trim(text).empty()) List->Add(fw::Trim(text));
}

FILETIME DateTimeToFileTime(fw::TDateTime Value) {
    SYSTEMTIME st{};
    fw::DateTimeToSystemTime(Value, st);
    FILETIME ft{};
    if (!SystemTimeToFileTime(&st, &ft)) ft = FILETIME{};
    return ft;
}

FILETIME LocalDateTimeToUtcFileTime(fw::TDateTime Value) {
    SYSTEMTIME local{}, utc{};
    fw::DateTimeToSystemTime(Value, local);
    FILETIME ft{};
    // The zone's rules for that date, summer time included.
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft)) ft = FILETIME{};
    return ft;
}

}  // namespace shell
