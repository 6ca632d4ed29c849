#pragma once
// Byte streams of the class library: an abstract TStream, a TMemoryStream that
// owns a growing block of memory, a TFileStream that owns an open file, and a
// TSafeFileStream that builds a file under a temporary name and puts it in place
// only when it is complete.
// Streams are plain objects (no owner): create them on the stack or hold them in a
// std::unique_ptr. A TFileStream closes its file when destroyed; a TMemoryStream
// frees its memory. Failures raise the EStreamError family (Exception.h).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "framework/Classes.h"
#include "framework/Handles.h"

namespace fw {

enum TSeekOrigin {
    soBeginning,
    soCurrent,
    soEnd
};

class TStream : public TObject {
public:
    // Reads (writes) up to Count bytes and returns how many were moved.
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
    // Moves the position and returns the new one.
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    // All of Count bytes, or EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* Buffer, int64_t Count);
    void WriteBuffer(const void* Buffer, int64_t Count);

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t Value) { Seek(Value, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize) = 0;
};

// A stream over memory it owns; the block grows as it is written.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return size_; }
    void SetSize(int64_t NewSize) override;

    // The stream's bytes (Size() of them); valid until the next write or resize.
    void* Memory() const { return memory_; }
    // Room for Capacity bytes, so a stream whose size is foreseen is not copied as it grows.
    void Reserve(int64_t Capacity) {
        if (Capacity > capacity_) SetCapacity(Capacity);
    }
    void Clear();
    void SaveToStream(TStream* Stream);
    // Through a TSafeFileStream: a failed save leaves an existing file as it was.
    void SaveToFile(const std::wstring& FileName);

private:
    void SetCapacity(int64_t NewCapacity);

    char* memory_ = nullptr;
    int64_t size_ = 0;
    int64_t capacity_ = 0;
    int64_t position_ = 0;
};

// File open modes: one access mode or'ed with one share mode; fmCreate makes
// (or empties) the file and opens it for reading and writing.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

// A stream over a file it opened. Raises EFCreateError "Cannot create file "%s". <system
// text>" or EFOpenError "Cannot open file "%s". <system text>" when the file won't open.
class TFileStream : public TStream {
public:
    TFileStream(const std::wstring& FileName, uint16_t Mode);
    ~TFileStream() override;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;

    const std::wstring& FileName() const { return fileName_; }
    void* Handle() const { return handle_.get(); }

    // The system's WriteFile for every file stream; replaceable, so a test can
    // make a disk fill up part-way through a save.
    static std::function<BOOL(HANDLE File, const void* Buffer, DWORD Count, DWORD* Written)> WriteFileHook;

protected:
    // Takes over a file opened already.
    TFileStream(const std::wstring& FileName, HANDLE File);
    void CloseFile() { handle_.reset(); }

private:
    std::wstring fileName_;
    UniqueHandle handle_;
};

// The form of a file name to hand to the system's file calls. The name itself
// while it and its full path are shorter than MAX_PATH; past that, its full path
// (made as the system makes it of the plain name, so it names the same file) in
// the "\\?\" form ("\\?\UNC\" for a share), which the system takes up to
// 32,767 characters even from a program that is not long-path aware. A name in
// that form already, or a device name ("\\.\"), is returned as it is.
std::wstring SystemFileName(const std::wstring& FileName);

// A new file written under a temporary name in its target's folder and moved
// over the target by Commit, once every byte is written: a save that fails
// part-way (a full disk, a failed format) leaves an existing target as it was
// and no partial file. Without Commit the destructor removes the temporary file.
// Raises EFCreateError "Cannot create file "%s". <system text>" when the
// temporary file cannot be made or the target cannot be replaced (a read-only
// target never is). The temporary name is longer than many a target's name: when
// it or the target reaches MAX_PATH, both go to the system in the "\\?\" form
// (SystemFileName), so any target the system takes is saved. FileName is the
// temporary file's name as the system was given it.
class TSafeFileStream : public TFileStream {
public:
    explicit TSafeFileStream(const std::wstring& FileName);
    ~TSafeFileStream() override;

    // Flushes the file and puts it in the target's place (on failure the
    // temporary file is removed and the target left alone).
    void Commit();
    const std::wstring& TargetName() const { return target_; }

    // The system's MoveFileExW for putting a file in its target's place;
    // replaceable, so a test can see the names handed to it.
    static std::function<BOOL(const wchar_t* Existing, const wchar_t* New, DWORD Flags)> MoveFileHook;

private:
    // The temporary file as the system was given it, its open handle, and the
    // target as the system is to be given it.
    struct TTemporary {
        std::wstring name;
        HANDLE file;
        std::wstring target;
    };
    TSafeFileStream(const std::wstring& FileName, TTemporary Temporary);
    static TTemporary OpenTemporary(const std::wstring& Target);

    std::wstring target_;
    std::wstring systemTarget_;
    bool committed_ = false;
};

}  // namespace fw
