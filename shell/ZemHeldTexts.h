#pragma once
// Detail texts made from what the folder listing held of a file (its size, the
// time of its last change, its attributes), so a listing's texts need not be
// asked of the shell row by row. They stand in for the shell's texts only where
// the shell has confirmed them: each column is compared with the shell's own text
// on samples, and a row's text is made here only when a sample of its kind of
// value agreed. The kinds of value are those a format could write differently:
// each magnitude of size (bits and decimal digits, whole kilobytes or not), each
// month and time-zone offset of a date, and each hour and minute of recent dates
// (in case the shell writes them relative to now), each set of attributes. The
// first files of several folders and of every drive are samples too. One sample
// that differs and the column is the shell's for the rest of the listing.
// Folders and drive roots never get texts from here.
// A plain object of the main thread, owned by the file list; Reset starts a
// listing's proof afresh.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "shell/ZemFileListItem.h"

namespace shell {

// What a shell column holds, as far as sorting and made texts are concerned.
enum TZemColumnKind {
    ckName,
    ckSize,
    ckType,
    ckDate,
    ckAttributes,
    ckOther
};

class TZemHeldTexts {
public:
    using TFormat = std::function<std::wstring(const TZemFindData& Data)>;

    TZemHeldTexts();

    // Whether a column of this kind may be made from held data.
    static bool Makeable(TZemColumnKind Kind) { return Kind == ckSize || Kind == ckDate || Kind == ckAttributes; }
    // The routine that makes a column's text; the shell's own routine by default.
    void SetFormat(TZemColumnKind Kind, TFormat Format);
    // Forgets every confirmation and refusal (a new listing).
    void Reset();

    // Whether a row with Data must be compared with the shell before its kind of
    // value can be trusted in this column.
    bool NeedsSample(TZemColumnKind Kind, const TZemFindData& Data);
    // Whether a row in Folder is one of the per-folder samples (the first file of
    // the first few folders and of every drive); counts it.
    bool SampleFolder(const std::wstring& Folder);
    // The shell's text for a sample: its kind of value is trusted when it equals
    // the made text, else the column is refused for the listing.
    void Confirm(TZemColumnKind Kind, const TZemFindData& Data, const std::wstring& ShellText);
    bool Refused(TZemColumnKind Kind) const { return refused_[Kind]; }
    // The made text, when the column is not refused and Data's kind of value was
    // confirmed; false otherwise (the shell must be asked).
    bool Text(TZemColumnKind Kind, const TZemFindData& Data, std::wstring& Result);

private:
    uint64_t ClassOf(TZemColumnKind Kind, const TZemFindData& Data);
    uint64_t DateClass(const FILETIME& Time);
    const std::wstring& Made(TZemColumnKind Kind, const TZemFindData& Data);

    TFormat formats_[ckOther + 1];
    bool refused_[ckOther + 1] = {};
    std::unordered_set<uint64_t> confirmed_[ckOther + 1];
    // Made texts by the value the text depends on (size, minute, attributes).
    std::unordered_map<int64_t, std::wstring> made_[ckOther + 1];
    std::unordered_map<int64_t, int> dayOffsets_;  // per day: the zone offset class of that day
    std::set<std::wstring> sampledFolders_, sampledDrives_;
    int64_t now_ = 0;        // the time of Reset, in file-time units
    int64_t nowOffset_ = 0;  // the zone offset at that time
};

}  // namespace shell
