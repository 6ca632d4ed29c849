#pragma once
// TZemSearchOptions: the criteria of a file search (masks, files only, hidden
// objects, recursion, a size range and six date limits), and the rule that
// decides whether one directory entry, as FindFirstFileW/FindNextFileW deliver
// it, is a hit. The file list owns one; each search thread works on its own copy
// made with Assign, so nothing here is locked. A plain object: make it with new
// or on the stack; it owns its mask list.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Classes.h"
#include "framework/DateTime.h"

namespace fw {
class TStrings;
class TStringList;
}  // namespace fw

namespace shell {

class TZemSearchOptions : public fw::TPersistent {
public:
    TZemSearchOptions();
    ~TZemSearchOptions() override;

    // From another TZemSearchOptions through the setters (AutoWildcard before
    // Filter, so the copy's masks follow the source's AutoWildcard); any other
    // source raises the class library's assignment error.
    void Assign(fw::TPersistent* Source) override;
    // Whether the entry's times lie within every date limit in force.
    virtual bool MatchesDates(const WIN32_FIND_DATAW& FindData) const;
    // Whether the entry found in Folder (ending in "\") is a hit.
    virtual bool Matches(const WIN32_FIND_DATAW& FindData, const std::wstring& Folder) const;

    // Negative: no upper limit; otherwise an inclusive limit in bytes.
    int64_t MaxFileSize() const { return maxFileSize_; }
    void SetMaxFileSize(int64_t Value) { maxFileSize_ = Value; }
    int64_t MinFileSize() const { return minFileSize_; }
    void SetMinFileSize(int64_t Value) { minFileSize_ = Value; }
    bool RecursiveSearch() const { return recursiveSearch_; }
    void SetRecursiveSearch(bool Value) { recursiveSearch_ = Value; }
    bool FilesOnly() const { return filesOnly_; }
    void SetFilesOnly(bool Value) { filesOnly_ = Value; }
    bool IncludeHidden() const { return includeHidden_; }
    void SetIncludeHidden(bool Value) { includeHidden_ = Value; }

    // Date limits in local time; a limit is in force when its value exceeds 1.0.
    fw::TDateTime CreationDateMax() const { return dates_[CreationMax].Value; }
    void SetCreationDateMax(fw::TDateTime Value) { SetDate(CreationMax, Value); }
    fw::TDateTime CreationDateMin() const { return dates_[CreationMin].Value; }
    void SetCreationDateMin(fw::TDateTime Value) { SetDate(CreationMin, Value); }
    fw::TDateTime AccessDateMax() const { return dates_[AccessMax].Value; }
    void SetAccessDateMax(fw::TDateTime Value) { SetDate(AccessMax, Value); }
    fw::TDateTime AccessDateMin() const { return dates_[AccessMin].Value; }
    void SetAccessDateMin(fw::TDateTime Value) { SetDate(AccessMin, Value); }
    fw::TDateTime LastWriteDateMax() const { return dates_[LastWriteMax].Value; }
    void SetLastWriteDateMax(fw::TDateTime Value) { SetDate(LastWriteMax, Value); }
    fw::TDateTime LastWriteDateMin() const { return dates_[LastWriteMin].Value; }
    void SetLastWriteDateMin(fw::TDateTime Value) { SetDate(LastWriteMin, Value); }

    // ";"-separated masks; an empty text means "*". Blank items are dropped.
    const std::wstring& Filter() const { return filter_; }
    void SetFilter(const std::wstring& Value);
    // Masks without "*" or "?" get "*" on both sides.
    bool AutoWildcard() const { return autoWildcard_; }
    void SetAutoWildcard(bool Value);
    // The masks in force. None at construction matches every name; a filter of
    // blank items only leaves none and matches nothing.
    const fw::TStringList& Masks() const { return *masks_; }

    // A mask is also tried against folder plus name.
    bool UseFullPathWhenComparing = false;

protected:
    std::wstring ClassName() const override { return L"TZemSearchOptions"; }

private:
    enum TDateLimit {
        CreationMax,
        CreationMin,
        AccessMax,
        AccessMin,
        LastWriteMax,
        LastWriteMin,
        DateLimitCount
    };
    struct TDateValue {
        fw::TDateTime Value = 0.0;
        FILETIME Time{};  // the value in UTC, as find data carry their times
    };
    void SetDate(TDateLimit Limit, fw::TDateTime Value);
    void ParseFilter(const std::wstring& Text, const std::wstring& Separator);

    int64_t maxFileSize_ = -1;
    int64_t minFileSize_ = 0;
    bool recursiveSearch_ = true;
    TDateValue dates_[DateLimitCount];
    bool filesOnly_ = false;
    bool includeHidden_ = false;
    std::wstring filter_ = L"*";
    bool autoWildcard_ = true;
    bool filterParsed_ = false;  // a filter was parsed: an empty mask list then matches nothing
    std::unique_ptr<fw::TStringList> masks_;
};

// Appends the Separator-separated items of Text to List, trimmed; empty items
// between separators included, a trailing empty item not.
void SplitMaskList(const std::wstring& Text, const std::wstring& Separator, fw::TStrings* List);
// The calendar date and time of Value as a FILETIME, without time-zone conversion.
FILETIME DateTimeToFileTime(fw::TDateTime Value);
// A local date and time as the UTC FILETIME of that moment.
FILETIME LocalDateTimeToUtcFileTime(fw::TDateTime Value);

}  // namespace shell
