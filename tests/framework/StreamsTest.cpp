// Memory and file streams: positions, sizes, errors with the file name and the system's text.
#include "framework/Streams.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/Exception.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "tests/common/FillingDisk.h"
#include "tests/common/TestEnv.h"

namespace {

using fw::TFileStream;
using fw::TMemoryStream;

std::string Bytes(TMemoryStream& s) {
    return std::string(static_cast<const char*>(s.Memory()), size_t(s.Size()));
}

TEST(MemoryStream, WriteSeekReadGapsSizesAndClear) {
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.Size(), 5);
    s.SetPosition(1);
    s.WriteBuffer("EL", 2);
    EXPECT_EQ(Bytes(s), "hELlo");
    s.Seek(2, fw::soEnd);  // writing past the end leaves zeros between
    s.WriteBuffer("!", 1);
    EXPECT_EQ(Bytes(s), std::string("hELlo\0\0!", 8));
    s.SetPosition(6);
    char buffer[8] = {};
    EXPECT_EQ(s.Read(buffer, 8), 2);
    EXPECT_EQ(s.Read(buffer, 8), 0);
    s.SetPosition(4);
    try {
        s.ReadBuffer(buffer, 5);
        FAIL();
    } catch (const fw::EReadError& e) {
        EXPECT_EQ(e.Message(), L"Stream read error");
    }
    // Sizes, many small writes and clearing.
    s.Clear();
    s.SetSize(4);
    EXPECT_EQ(Bytes(s), std::string(4, '\0'));
    s.SetPosition(4);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    // Many small writes keep every byte.
    for (int i = 0; i < 100000; ++i) {
        const char c = char('a' + i % 26);
        s.WriteBuffer(&c, 1);
    }
    EXPECT_EQ(s.Size(), 100002);
    EXPECT_EQ(static_cast<const char*>(s.Memory())[100001], char('a' + 99999 % 26));
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.Memory(), nullptr);
}

TEST(FileStream, SaveReadBackAndFailuresNameTheFile) {
    const std::wstring dir = testenv::NewScratchFolder(L"streams");
    TMemoryStream out;
    out.WriteBuffer("abc\0def", 7);
    out.SaveToFile(dir + L"\\a.bin");
    {
        TFileStream file(dir + L"\\a.bin", fw::fmOpenReadWrite);
        EXPECT_EQ(file.Size(), 7);
        char buffer[8] = {};
        file.ReadBuffer(buffer, 7);
        EXPECT_EQ(std::string(buffer, 7), std::string("abc\0def", 7));
        file.SetSize(3);
        EXPECT_EQ(file.Size(), 3);
        EXPECT_EQ(file.FileName(), dir + L"\\a.bin");
    }
    TFileStream file(dir + L"\\a.bin", fw::fmOpenRead | fw::fmShareDenyWrite);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 8), 3);
    EXPECT_EQ(std::string(buffer), "abc");
    EXPECT_THROW(file.WriteBuffer("x", 1), fw::EWriteError);  // opened for reading only

    // Failures name the file.
    const std::wstring missing = dir + L"\\missing.bin";
    try {
        TFileStream failed(missing, fw::fmOpenRead);
        FAIL();
    } catch (const fw::EFOpenError& e) {
        const std::wstring expected = L"Cannot open file \"" + missing + L"\". ";
        EXPECT_EQ(e.Message().substr(0, expected.size()), expected);
        ASSERT_GT(e.Message().size(), expected.size());  // the system's reason follows
        EXPECT_NE(e.Message().back(), L'\n');
    }
    try {
        TFileStream failed(dir + L"\\no\\such\\folder.bin", fw::fmCreate);
        FAIL();
    } catch (const fw::EFCreateError& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot create file \"", 0), 0u);
    }
}

std::string FileBytes(const std::wstring& Name) {
    TFileStream file(Name, fw::fmOpenRead | fw::fmShareDenyNone);
    std::string bytes(size_t(file.Size()), '\0');
    file.ReadBuffer(bytes.data(), int64_t(bytes.size()));
    return bytes;
}

// A file of a scratch folder that holds "old bytes", the content a failed save must keep.
std::wstring OldFile(const wchar_t* Folder, const wchar_t* Name) {
    const std::wstring target = testenv::NewScratchFolder(Folder) + L"\\" + Name;
    TMemoryStream old;
    old.WriteBuffer("old bytes", 9);
    old.SaveToFile(target);
    return target;
}

TEST(SafeFileStream, ASaveThatFailsPartWayLeavesTheOldFileAndNothingElse) {
    const std::wstring target = OldFile(L"safe-save", L"listing.txt");
    const std::wstring dir = fw::ExtractFileDir(target);
    TMemoryStream old;
    old.WriteBuffer("old bytes", 9);
    // Three blocks of a megabyte, the disk full after the first.
    TMemoryStream big;
    big.SetSize(3 << 20);
    std::memset(big.Memory(), 'n', size_t(big.Size()));
    {
        testenv::FillingDisk disk(1 << 20);
        EXPECT_THROW(big.SaveToFile(target), fw::EWriteError);
    }
    EXPECT_EQ(FileBytes(target), "old bytes");
    EXPECT_EQ(testenv::NamesIn(dir), std::set<std::wstring>{L"listing.txt"}) << "no partial file is left";
    fw::TStringList lines;
    lines.Add(L"new line");
    {
        testenv::FillingDisk disk(3);
        EXPECT_THROW(lines.SaveToFile(target), fw::EWriteError);
    }
    EXPECT_EQ(FileBytes(target), "old bytes");
    EXPECT_EQ(testenv::NamesIn(dir).size(), 1u);
    // Complete saves replace the file, and a save of a new name makes it.
    lines.SaveToFile(target);
    EXPECT_EQ(FileBytes(target), "new line\r\n");
    big.SaveToFile(dir + L"\\big.bin");
    EXPECT_EQ(FileBytes(dir + L"\\big.bin").size(), size_t(3 << 20));
    EXPECT_EQ(testenv::NamesIn(dir), (std::set<std::wstring>{L"big.bin", L"listing.txt"}));
    // A target that cannot be replaced (a folder of that name) is named in the failure.
    CreateDirectoryW((dir + L"\\taken").c_str(), nullptr);
    try {
        old.SaveToFile(dir + L"\\taken");
        FAIL();
    } catch (const fw::EFCreateError& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot create file \"" + dir + L"\\taken\"", 0), 0u);
    }
    EXPECT_EQ(testenv::NamesIn(dir), (std::set<std::wstring>{L"big.bin", L"listing.txt", L"taken"}));
    // A stream given up without Commit leaves nothing.
    {
        fw::TSafeFileStream abandoned(dir + L"\\listing.txt");
        abandoned.WriteBuffer("x", 1);
    }
    EXPECT_EQ(FileBytes(target), "new line\r\n");
    EXPECT_EQ(testenv::NamesIn(dir).size(), 3u);
}

TEST(SafeFileStream, AReadOnlyTargetIsRefusedAndKept) {
    const std::wstring target = OldFile(L"safe-read-only", L"kept.txt");
    const std::wstring dir = fw::ExtractFileDir(target);
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_NE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    fw::TStringList lines;
    lines.Add(L"new line");
    try {
        lines.SaveToFile(target);
        FAIL() << "a read-only file was replaced";
    } catch (const fw::EFCreateError& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot create file \"" + target + L"\"", 0), 0u);
    }
    EXPECT_EQ(FileBytes(target), "old bytes");
    EXPECT_EQ(testenv::NamesIn(dir), std::set<std::wstring>{L"kept.txt"}) << "no temporary file is left";
    // Writable again, it is replaced as any other.
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL));
    lines.SaveToFile(target);
    EXPECT_EQ(FileBytes(target), "new line\r\n");
}

// A scratch folder whose path is Length characters long (two levels below a fresh one).
std::wstring FolderOfLength(size_t Length) {
    const std::wstring root = testenv::NewScratchFolder(L"long-path");
    const size_t room = Length - root.size() - 2;
    const std::wstring first = root + L"\\" + std::wstring(room / 2, L'a');
    const std::wstring second = first + L"\\" + std::wstring(room - room / 2, L'b');
    CreateDirectoryW(first.c_str(), nullptr);
    CreateDirectoryW(second.c_str(), nullptr);
    return second;
}

// Records the names a save hands to the system's move, and moves.
struct RecordedMoves {
    RecordedMoves() {
        fw::TSafeFileStream::MoveFileHook = [this](const wchar_t* From, const wchar_t* To, DWORD Flags) {
            moves.emplace_back(From, To);
            return MoveFileExW(From, To, Flags);
        };
    }
    ~RecordedMoves() { fw::TSafeFileStream::MoveFileHook = nullptr; }
    std::vector<std::pair<std::wstring, std::wstring>> moves;
};

TEST(SafeFileStream, NamesPastThePathLimitGoToTheSystemInTheirLongForm) {
    const std::wstring n255(255, L'n');
    const std::wstring limit = L"D:\\" + std::wstring(MAX_PATH - 1 - 3, L'p');  // the longest plain path
    const std::pair<std::wstring, std::wstring> names[] = {
        {L"D:\\a\\b.txt", L"D:\\a\\b.txt"},
        {L"b.txt", L"b.txt"},
        {limit, limit},
        {limit + L"q", L"\\\\?\\" + limit + L"q"},
        {L"D:\\" + n255 + L"\\x.txt", L"\\\\?\\D:\\" + n255 + L"\\x.txt"},
        {L"D:/" + n255 + L"/sub/../x.txt.", L"\\\\?\\D:\\" + n255 + L"\\x.txt"},  // as a plain name means it
        {L"\\\\server\\share\\" + n255, L"\\\\?\\UNC\\server\\share\\" + n255},
        {L"\\\\?\\D:\\" + n255 + L".", L"\\\\?\\D:\\" + n255 + L"."},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
    };
    for (const auto& [name, system] : names) EXPECT_EQ(fw::SystemFileName(name), system) << name.size();

    // The longest target the Save dialog takes, in a folder where the temporary name passes the limit.
    const std::wstring folder = FolderOfLength(MAX_PATH - 15);
    const std::wstring target = folder + L"\\" + std::wstring(MAX_PATH - 1 - folder.size() - 5, L't') + L".csv";
    ASSERT_EQ(target.size(), size_t(MAX_PATH - 1));
    RecordedMoves recorded;
    {
        fw::TSafeFileStream file(target);
        EXPECT_EQ(file.FileName().rfind(L"\\\\?\\" + folder + L"\\~tbr", 0), 0u) << "given to CreateFileW";
        EXPECT_GE(file.FileName().size(), size_t(MAX_PATH + 4));
        file.WriteBuffer("saved", 5);
        file.Commit();
        ASSERT_EQ(recorded.moves.size(), 1u);
        EXPECT_EQ(recorded.moves[0].first, file.FileName());
        EXPECT_EQ(recorded.moves[0].second, L"\\\\?\\" + target);
    }
    EXPECT_EQ(FileBytes(target), "saved");
    EXPECT_EQ(testenv::NamesIn(folder).size(), 1u);
    // In a short folder both names go as they are.
    const std::wstring shallow = testenv::NewScratchFolder(L"short-path") + L"\\list.csv";
    TMemoryStream bytes;
    bytes.WriteBuffer("x", 1);
    bytes.SaveToFile(shallow);
    ASSERT_EQ(recorded.moves.size(), 2u);
    EXPECT_EQ(recorded.moves[1].first.rfind(fw::ExtractFileDir(shallow) + L"\\~tbr", 0), 0u);
    EXPECT_EQ(recorded.moves[1].second, shallow);
}

TEST(OSError, TextHasNoTrailingLineBreakAndTheCodeIsNamed) {
    const std::wstring text = fw::SysErrorMessage(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
    try {
        fw::RaiseLastOSError(ERROR_FILE_NOT_FOUND);
        FAIL();
    } catch (const fw::EOSError& e) {
        EXPECT_NE(e.Message().find(L"Code: 2."), std::wstring::npos);
        EXPECT_STRNE(e.what(), "");
    }
}

}  // namespace
