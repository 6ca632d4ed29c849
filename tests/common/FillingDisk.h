#pragma once
// A disk that fills up part-way through a save: every file stream's writes go
// through while Room bytes are left, then fail as a full disk does. And the
// names in a folder, to see that a failed save left nothing behind.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>

#include "framework/Streams.h"

namespace testenv {

class FillingDisk {
public:
    explicit FillingDisk(int64_t Room) : room_(Room) {
        fw::TFileStream::WriteFileHook = [this](HANDLE File, const void* Buffer, DWORD Count, DWORD* Written) {
            const DWORD fits = DWORD(std::min<int64_t>(Count, std::max<int64_t>(room_, 0)));
            *Written = 0;
            if (fits > 0 && !WriteFile(File, Buffer, fits, Written, nullptr)) return FALSE;
            room_ -= *Written;
            if (fits == Count) return TRUE;
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        };
    }
    ~FillingDisk() { fw::TFileStream::WriteFileHook = nullptr; }
    FillingDisk(const FillingDisk&) = delete;
    FillingDisk& operator=(const FillingDisk&) = delete;

private:
    int64_t room_;
};

// The names of the files and folders in Folder.
inline std::set<std::wstring> NamesIn(const std::wstring& Folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((Folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.insert(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

}  // namespace testenv
