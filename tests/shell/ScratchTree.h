#pragma once
// Building small trees on the scratch drive for the search, selection and size
// tests, and making host-side symbolic links there (Wine shows them as folders
// with the reparse-point attribute; CreateSymbolicLinkW makes nothing under Wine).
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "framework/Handles.h"
#include "framework/StringList.h"
#include "tests/common/TestEnv.h"

namespace scratch {

inline void MakeFile(const std::wstring& Path, size_t Size = 0) {
    const fw::Handle h(
        CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes(Size, 'x');
    DWORD written = 0;
    if (h && Size) WriteFile(h.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

inline bool Exists(const std::wstring& Path) {
    return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::unique_ptr<fw::TStringList> PathList(std::initializer_list<std::wstring> Paths) {
    auto list = std::make_unique<fw::TStringList>();
    for (const auto& path : Paths) list->Add(path);
    return list;
}

inline std::wstring MakeFolder(const std::wstring& Path) {
    CreateDirectoryW(Path.c_str(), nullptr);
    return Path;
}

// A shell shortcut at Link pointing to Target; whether it was saved. Needs COM.
inline bool MakeShortcut(const std::wstring& Link, const std::wstring& Target) {
    fw::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        return false;
    link->SetPath(Target.c_str());
    const fw::ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
    return file && SUCCEEDED(file->Save(Link.c_str(), TRUE));
}

// Folders whose names end in dots, next to one without: Root\dotdir.\a.txt (1 byte),
// Root\dotdir\b.txt (2 bytes), Root\...\c.txt (3 bytes) and Root\...\deep\d.txt
// (4 bytes). Made through the long form, which keeps the dots.
inline void MakeDotNamesTree(const std::wstring& Root) {
    const std::wstring longRoot = L"\\\\?\\" + Root;
    for (const wchar_t* folder : {L"\\dotdir.", L"\\dotdir", L"\\...", L"\\...\\deep"})
        CreateDirectoryW((longRoot + folder).c_str(), nullptr);
    MakeFile(longRoot + L"\\dotdir.\\a.txt", 1);
    MakeFile(longRoot + L"\\dotdir\\b.txt", 2);
    MakeFile(longRoot + L"\\...\\c.txt", 3);
    MakeFile(longRoot + L"\\...\\deep\\d.txt", 4);
}

// The host's path of a path on the scratch drive; empty when the test machine
// does not name it.
inline std::string HostPath(const std::wstring& ScratchPath) {
    const std::wstring host = testenv::Env(L"TABULORIN_SCRATCH_HOST");
    const std::wstring root = testenv::ScratchRoot();
    if (host.empty() || ScratchPath.compare(0, root.size(), root) != 0) return std::string();
    std::wstring rest = ScratchPath.substr(root.size());
    for (wchar_t& c : rest)
        if (c == L'\\') c = L'/';
    const std::wstring full = host + L"/" + rest;
    return std::string(full.begin(), full.end());
}

// Runs a host command line through Program (a host path) and waits until Made
// exists: Wine may report a host program ended before it has run. False when the
// host cannot be reached or Made never appears.
inline bool RunOnHost(const wchar_t* Program, const std::string& CommandLine, const std::wstring& Made) {
    std::wstring command(CommandLine.begin(), CommandLine.end());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(Program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    WaitForSingleObject(pi.hProcess, 60000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 3000; ++i) {
        if (Exists(Made)) return true;
        Sleep(10);
    }
    return false;
}

// A host symbolic link at Link (a scratch path) to Target (as the host reads it,
// for example ".."). False when the host cannot be reached. Made again, the same
// link takes its place (Wine may start a host program twice).
inline bool MakeHostSymlink(const std::wstring& Link, const std::string& Target) {
    const std::string link = HostPath(Link);
    return !link.empty() && RunOnHost(L"\\\\?\\unix\\bin\\ln", "ln -sfn \"" + Target + "\" \"" + link + "\"", Link);
}

// Runs Script (an sh script without double quotes) on the host in the host's
// folder of Folder (a scratch path): for names no Windows program can make, such
// as names holding a colon or a backslash. False when the host cannot be reached.
inline bool RunInHostFolder(const std::wstring& Folder, const std::string& Script) {
    const std::string host = HostPath(Folder);
    return !host.empty() &&
           RunOnHost(L"\\\\?\\unix\\bin\\sh",
                     "sh -c \"cd '" + host + "' && " + Script + " && touch '" + host + ".done'\"", Folder + L".done");
}

}  // namespace scratch
