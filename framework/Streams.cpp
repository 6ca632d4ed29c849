#include "framework/Streams.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "framework/Exception.h"

namespace fw {

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
    if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(L"Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
    if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(L"Stream write error");
}

int64_t TStream::Size() {
    const int64_t here = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return size;
}

// ---------------------------------------------------------------------------

TMemoryStream::~TMemoryStream() {
    std::free(memory_);
}

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
    if (Count <= 0 || position_ >= size_) return 0;
    const int64_t n = std::min(Count, size_ - position_);
    std::memcpy(Buffer, memory_ + position_, size_t(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
    if (Count <= 0 || position_ < 0) return 0;
    const int64_t end = position_ + Count;
    if (end > size_) {
        if (end > capacity_) SetCapacity(end);
        // A position beyond the end leaves a gap; it reads as zeros, not as old garbage.
        if (position_ > size_) std::memset(memory_ + size_, 0, size_t(position_ - size_));
        size_ = end;
    }
    std::memcpy(memory_ + position_, Buffer, size_t(Count));
    position_ = end;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    switch (Origin) {
    case TSeekOrigin::soBeginning: position_ = Offset; break;
    case TSeekOrigin::soCurrent: position_ += Offset; break;
    case TSeekOrigin::soEnd: position_ = size_ + Offset; break;
    }
    return position_;
}

void TMemoryStream::SetSize(int64_t NewSize) {
    if (NewSize < 0) NewSize = 0;
    const int64_t old = size_;
    SetCapacity(NewSize);
    if (NewSize > old) std::memset(memory_ + old, 0, size_t(NewSize - old));
    size_ = NewSize;
    if (position_ > NewSize) position_ = NewSize;
}

void TMemoryStream::SetCapacity(int64_t NewCapacity) {
    if (NewCapacity == capacity_) return;
    if (NewCapacity == 0) {
        std::free(memory_);
        memory_ = nullptr;
        capacity_ = 0;
        return;
    }
    // Grow in steps so a stream written byte by byte is not copied on every write.
    if (NewCapacity > capacity_) NewCapacity = std::max(NewCapacity, capacity_ + capacity_ / 2 + 8192);
    void* grown = std::realloc(memory_, size_t(NewCapacity));
    if (!grown) throw EOutOfMemory(L"Out of memory while expanding memory stream");
    memory_ = static_cast<char*>(grown);
    capacity_ = NewCapacity;
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    size_ = 0;
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream* Stream) {
    if (size_ > 0) Stream->WriteBuffer(memory_, size_);
}

void TMemoryStream::SaveToFile(const std::wstring& FileName) {
    TSafeFileStream file(FileName);
    SaveToStream(&file);
    file.Commit();
}

// ---------------------------------------------------------------------------

namespace {

std::wstring FileErrorText(const wchar_t* what, const std::wstring& name) {
    return std::wstring(what) + L" \"" + name + L"\". " + SysErrorMessage(GetLastError());
}

bool HasPrefix(const std::wstring& Name, const wchar_t* Prefix) {
    return Name.compare(0, wcslen(Prefix), Prefix) == 0;
}

// Names the system takes at any length as they are: "\\?\" and device names.
bool IsRawName(const std::wstring& Name) {
    return HasPrefix(Name, L"\\\\?\\") || HasPrefix(Name, L"\\\\.\\");
}

// Name's full path as the system makes it of a plain name; Name itself when it has none.
std::wstring FullPathOf(const std::wstring& Name) {
    const DWORD n = GetFullPathNameW(Name.c_str(), 0, nullptr, nullptr);
    if (n == 0) return Name;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(Name.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return Name;
    full.resize(got);
    return full;
}

bool NeedsLongForm(const std::wstring& Name) {
    return !IsRawName(Name) && (Name.size() >= MAX_PATH || FullPathOf(Name).size() >= MAX_PATH);
}

std::wstring LongForm(const std::wstring& Name) {
    if (IsRawName(Name)) return Name;
    const std::wstring full = FullPathOf(Name);
    if (HasPrefix(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The part of a temporary file's name after its folder, always of this length.
constexpr size_t kTemporaryNameLength = 16;

// A fresh file of its own in Target's folder, named so that no two saves (of
// this or another program) meet; its name, as the system was given it, goes into
// Name. Long: the name is given in the "\\?\" form.
HANDLE CreateTemporaryBeside(const std::wstring& Target, bool Long, std::wstring& Name) {
    const size_t slash = Target.find_last_of(L"\\/:");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : Target.substr(0, slash + 1);
    static LONG counter = 0;
    const DWORD seed = GetCurrentProcessId() * 0x10001u ^ GetTickCount();
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t part[32];
        swprintf(part, 32, L"~tbr%08lx.tmp", static_cast<unsigned long>(seed + DWORD(InterlockedIncrement(&counter))));
        Name = Long ? LongForm(folder + part) : folder + part;
        const HANDLE file = CreateFileW(Name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

std::wstring SystemFileName(const std::wstring& FileName) {
    return NeedsLongForm(FileName) ? LongForm(FileName) : FileName;
}

std::function<BOOL(HANDLE, const void*, DWORD, DWORD*)> TFileStream::WriteFileHook;
std::function<BOOL(const wchar_t*, const wchar_t*, DWORD)> TSafeFileStream::MoveFileHook;

TFileStream::TFileStream(const std::wstring& FileName, uint16_t Mode) : fileName_(FileName) {
    if (Mode == fmCreate || (Mode & 0xFF00) == fmCreate) {
        handle_.reset(CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle_) throw EFCreateError(FileErrorText(L"Cannot create file", FileName));
        return;
    }
    static const DWORD access[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    static const DWORD share[5] = {FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE};
    const unsigned a = Mode & 3u, s = (Mode & 0xF0u) >> 4;
    if (a > 2 || s > 4) {
        SetLastError(ERROR_INVALID_PARAMETER);
        throw EFOpenError(FileErrorText(L"Cannot open file", FileName));
    }
    handle_.reset(
        CreateFileW(FileName.c_str(), access[a], share[s], nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_) throw EFOpenError(FileErrorText(L"Cannot open file", FileName));
}

TFileStream::TFileStream(const std::wstring& FileName, HANDLE File) : fileName_(FileName) {
    handle_.reset(File);
}

TFileStream::~TFileStream() = default;

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
    int64_t total = 0;
    char* p = static_cast<char*>(Buffer);
    while (Count > 0) {
        DWORD got = 0;
        const DWORD chunk = DWORD(std::min<int64_t>(Count, 1 << 30));
        if (!ReadFile(handle_.get(), p, chunk, &got, nullptr) || got == 0) break;
        total += got;
        p += got;
        Count -= got;
    }
    return total;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
    int64_t total = 0;
    const char* p = static_cast<const char*>(Buffer);
    while (Count > 0) {
        DWORD put = 0;
        const DWORD chunk = DWORD(std::min<int64_t>(Count, 1 << 30));
        const BOOL ok = WriteFileHook ? WriteFileHook(handle_.get(), p, chunk, &put)
                                      : WriteFile(handle_.get(), p, chunk, &put, nullptr);
        if (!ok || put == 0) break;
        total += put;
        p += put;
        Count -= put;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    LARGE_INTEGER distance, result;
    distance.QuadPart = Offset;
    const DWORD method = Origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                         : Origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                            : FILE_END;
    if (!SetFilePointerEx(handle_.get(), distance, &result, method)) return -1;
    return result.QuadPart;
}

void TFileStream::SetSize(int64_t NewSize) {
    const int64_t here = Position();
    SetPosition(NewSize);
    if (!SetEndOfFile(handle_.get())) RaiseLastOSError();
    if (here < NewSize) SetPosition(here);
}

// ---------------------------------------------------------------------------

TSafeFileStream::TTemporary TSafeFileStream::OpenTemporary(const std::wstring& Target) {
    // The temporary name is as long as its folder and a name of fixed length: when
    // it or the target is too long for a plain name, both go in the long form.
    const size_t slash = Target.find_last_of(L"\\/:");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : Target.substr(0, slash + 1);
    const bool longForm = NeedsLongForm(Target) || NeedsLongForm(folder + std::wstring(kTemporaryNameLength, L'x'));
    TTemporary temporary{{}, INVALID_HANDLE_VALUE, longForm ? LongForm(Target) : Target};
    temporary.file = CreateTemporaryBeside(Target, longForm, temporary.name);
    if (temporary.file == INVALID_HANDLE_VALUE) throw EFCreateError(FileErrorText(L"Cannot create file", Target));
    return temporary;
}

TSafeFileStream::TSafeFileStream(const std::wstring& FileName) : TSafeFileStream(FileName, OpenTemporary(FileName)) {}

TSafeFileStream::TSafeFileStream(const std::wstring& FileName, TTemporary Temporary)
    : TFileStream(Temporary.name, Temporary.file), target_(FileName), systemTarget_(std::move(Temporary.target)) {}

TSafeFileStream::~TSafeFileStream() {
    if (committed_) return;
    CloseFile();
    DeleteFileW(FileName().c_str());
}

void TSafeFileStream::Commit() {
    if (committed_) return;
    // Every byte on the disk before the old file goes: a crash in between
    // leaves the old file or the new one, never a part of either.
    bool ready = FlushFileBuffers(Handle());
    DWORD error = ready ? ERROR_SUCCESS : GetLastError();
    CloseFile();
    // A read-only file is one its owner protected: Windows refuses to move
    // another over it, Wine replaces it all the same, so the refusal is ours.
    const DWORD existing = GetFileAttributesW(systemTarget_.c_str());
    if (ready && existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) {
        ready = false;
        error = ERROR_ACCESS_DENIED;
    }
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (ready && (MoveFileHook ? MoveFileHook(FileName().c_str(), systemTarget_.c_str(), flags)
                               : MoveFileExW(FileName().c_str(), systemTarget_.c_str(), flags))) {
        committed_ = true;
        return;
    }
    if (ready) error = GetLastError();
    DeleteFileW(FileName().c_str());
    committed_ = true;  // nothing left to remove
    SetLastError(error);
    throw EFCreateError(FileErrorText(L"Cannot create file", target_));
}

}  // namespace fw
