#include "shell/ShellEntryPoints.h"

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "framework/Thread.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace shell {

TBoundEntryPoints BoundEntries;
bool UseWow64RedirectionSwitch = false;
const wchar_t* const LongPathPrefix = L"\\\\?\\";
const wchar_t* const MissingDllMessage =
    L"A Dll, which is needed to execute this program, is not installed. \r\n"
    L"Please install Internet Explorer 5.5 or higher to use this program.";

namespace {

std::mutex unitLock;
int unitCounter = 0;
bool oleInitialized = false;
HMODULE shell32 = nullptr;
HMODULE shlwapi = nullptr;
HMODULE kernel32 = nullptr;

// Loaded once at start-up, read by any thread afterwards.
std::map<UINT, std::wstring> captions;
std::wstring inFolderCaption;
std::wstring newFolderCaption;

constexpr UINT InFolderId = 8977;
constexpr UINT NewFolderId = 30320;
constexpr UINT CaptionIds[] = {16384, 4205, 8499,  33577, 33578, 33579, 33580, 33585, 33582,
                               33562, 4151, 33555, 5268,  5297,  30315, 30317, 30318, 28673};

TOsVersionFlags osFlags;

// The longest system error text handed on, in characters.
constexpr std::size_t kMaxErrorTextLength = 1023;

template <class F>
void Bind(F& Entry, HMODULE Module, const char* Name) {
    Entry = Module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name))) : nullptr;
}

template <class F>
void BindOrdinal(F& Entry, HMODULE Module, WORD Ordinal) {
    Bind(Entry, Module, reinterpret_cast<const char*>(static_cast<ULONG_PTR>(Ordinal)));
}

std::wstring LoadShellString(UINT Id) {
    std::vector<wchar_t> buffer(32767);
    const int n = LoadStringW(shell32, Id, buffer.data(), int(buffer.size()));
    return n > 0 ? std::wstring(buffer.data(), n) : std::wstring();
}

void ShowMissingDll() {
    fw::TApplication* application = fw::Application();
    if (!application || application->Terminated()) return;
    application->MessageBox(MissingDllMessage, L"Error", MB_OK | MB_ICONERROR);
    application->Terminate();
}

// Once handed to the main thread and not yet shown there.
std::atomic<bool> missingDllQueued{false};

void ReportMissingDll() {
    if (fw::IsMainThread()) {
        ShowMissingDll();
        return;
    }
    // A worker's conversion fails at once; the main thread tells the user, once.
    if (missingDllQueued.exchange(true)) return;
    fw::TThread::Queue(nullptr, [] {
        missingDllQueued = false;
        ShowMissingDll();
    });
}

void FreeLibraries() {
    if (kernel32) FreeLibrary(kernel32);
    if (shlwapi) FreeLibrary(shlwapi);
    if (shell32) FreeLibrary(shell32);
    kernel32 = shlwapi = shell32 = nullptr;
    BoundEntries = TBoundEntryPoints();
    captions.clear();
    inFolderCaption.clear();
    newFolderCaption.clear();
}

}  // namespace

void ShellEntryPointsInitialize() {
    std::lock_guard<std::mutex> guard(unitLock);
    if (unitCounter++ > 0) return;
    try {
        const HRESULT ole = OleInitialize(nullptr);
        oleInitialized = SUCCEEDED(ole);

        shell32 = LoadLibraryW(L"Shell32");
        if (!shell32) throw fw::Exception(L"Pathfinch Components: Cannot open SHELL32.DLL!");
        TBoundEntryPoints& e = BoundEntries;
        BindOrdinal(e.SHChangeNotifyRegister, shell32, 2);
        BindOrdinal(e.SHChangeNotifyDeregister, shell32, 4);
        BindOrdinal(e.CIDLData_CreateFromIDArray, shell32, 83);
        BindOrdinal(e.CDefFolderMenu_Create2, shell32, 701);
        BindOrdinal(e.SHGetImageList, shell32, 727);
        Bind(e.SHGetPathFromIDListEx, shell32, "SHGetPathFromIDListEx");
        Bind(e.SHCreateItemFromIDList, shell32, "SHCreateItemFromIDList");
        inFolderCaption = LoadShellString(InFolderId);
        if (inFolderCaption.empty()) inFolderCaption = L"In Folder";
        newFolderCaption = LoadShellString(NewFolderId);
        if (newFolderCaption.empty()) newFolderCaption = L"New Folder";
        for (UINT id : CaptionIds) captions[id] = LoadShellString(id);

        shlwapi = LoadLibraryW(L"shlwapi");
        if (!shlwapi) throw fw::Exception(L"Pathfinch Components: Cannot open SHLWAPI.DLL!");
        Bind(e.SHAutoComplete, shlwapi, "SHAutoComplete");
        Bind(e.PathMatchSpecW, shlwapi, "PathMatchSpecW");
        Bind(e.StrRetToStrW, shlwapi, "StrRetToStrW");
        Bind(e.StrCmpLogicalW, shlwapi, "StrCmpLogicalW");

        kernel32 = LoadLibraryW(L"kernel32.dll");
        Bind(e.Wow64DisableWow64FsRedirection, kernel32, "Wow64DisableWow64FsRedirection");
        Bind(e.Wow64RevertWow64FsRedirection, kernel32, "Wow64RevertWow64FsRedirection");
        Bind(e.IsWow64Process, kernel32, "IsWow64Process");
        Bind(e.GetSystemWindowsDirectoryW, kernel32, "GetSystemWindowsDirectoryW");
        Bind(e.GetLongPathNameW, kernel32, "GetLongPathNameW");
    } catch (...) {
        FreeLibraries();
        if (oleInitialized) OleUninitialize();
        oleInitialized = false;
        unitCounter = 0;
        throw;
    }
}

void ShellEntryPointsFinalize() {
    std::lock_guard<std::mutex> guard(unitLock);
    if (unitCounter == 0 || --unitCounter > 0) return;
    FreeLibraries();
    if (oleInitialized) OleUninitialize();
    oleInitialized = false;
}

std::wstring ShellCaption(UINT Id) {
    auto it = captions.find(Id);
    return it == captions.end() ? std::wstring() : it->second;
}

std::wstring InFolderCaption() {
    return inFolderCaption.empty() ? L"In Folder" : inFolderCaption;
}
std::wstring NewFolderCaption() {
    return newFolderCaption.empty() ? L"New Folder" : newFolderCaption;
}

std::wstring StrRetToString(PCUITEMID_CHILD Pidl, const STRRET& StrRet) {
    if (!BoundEntries.StrRetToStrW) {
        if (StrRet.uType == STRRET_WSTR && StrRet.pOleStr) CoTaskMemFree(StrRet.pOleStr);
        ReportMissingDll();
        return std::wstring();
    }
    STRRET copy = StrRet;
    LPWSTR text = nullptr;
    std::wstring result;
    if (SUCCEEDED(BoundEntries.StrRetToStrW(&copy, Pidl, &text)) && text) {
        result = text;
        CoTaskMemFree(text);
    }
    return result;
}

bool MatchesMask(const std::wstring& Name, const std::wstring& Mask) {
    if (!BoundEntries.PathMatchSpecW) return false;
    if (Mask == L"*.")
        return Name.find(L'.') == std::wstring::npos || BoundEntries.PathMatchSpecW(Name.c_str(), Mask.c_str());
    // Every name, with or without a dot, as on every version of the platform.
    if (Mask == L"*.*") return true;
    return BoundEntries.PathMatchSpecW(Name.c_str(), Mask.c_str()) != FALSE;
}

std::wstring SysErrorTextOf(const wchar_t* Text, std::size_t Length) {
    if (!Text) return std::wstring();
    return fw::Trim(std::wstring(Text, std::min<std::size_t>(Length, kMaxErrorTextLength)));
}

std::wstring SysErrorText(DWORD Code) {
    wchar_t* buffer = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       nullptr, Code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::wstring text = SysErrorTextOf(n ? buffer : nullptr, n);
    if (buffer) LocalFree(buffer);
    return text;
}

std::unique_ptr<fw::TStringList> ReadDroppedFiles(HDROP Drop) {
    if (!Drop) return nullptr;
    const UINT count = DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0) return nullptr;
    auto list = std::make_unique<fw::TStringList>();
    std::vector<wchar_t> name(32768);
    for (UINT i = 0; i < count; ++i) {
        const UINT n = DragQueryFileW(Drop, i, name.data(), UINT(name.size()));
        if (n == 0) break;
        list->Add(std::wstring(name.data(), std::min<UINT>(n, UINT(name.size() - 1))));
    }
    // A drop whose first name cannot be read holds no file.
    if (list->Count() == 0) return nullptr;
    return list;
}

namespace {

// A descriptor's file name starts after its fixed fields (flags, class id, size,
// point, attributes, three times and the size words).
constexpr std::size_t DescriptorNameOffset = 72;
constexpr std::size_t DescriptorNameChars = MAX_PATH;

template <class Char>
std::unique_ptr<fw::TStringList> ReadDescriptorNames(const STGMEDIUM& Medium) {
    if (Medium.tymed != TYMED_HGLOBAL || !Medium.hGlobal) return nullptr;
    const SIZE_T blockSize = GlobalSize(Medium.hGlobal);
    const fw::GlobalLockGuard lock(Medium.hGlobal);
    const auto* block = static_cast<const unsigned char*>(lock.Data());
    if (!block) return nullptr;
    auto list = std::make_unique<fw::TStringList>();
    constexpr std::size_t descriptorSize = DescriptorNameOffset + DescriptorNameChars * sizeof(Char);
    static_assert(sizeof(Char) == 1 ? descriptorSize == sizeof(FILEDESCRIPTORA)
                                    : descriptorSize == sizeof(FILEDESCRIPTORW));
    if (blockSize >= sizeof(UINT)) {
        UINT count = 0;
        std::memcpy(&count, block, sizeof(UINT));
        // The count comes from another process: never read past the block.
        const std::size_t fits = (blockSize - sizeof(UINT)) / descriptorSize;
        const std::size_t n = std::min<std::size_t>(count, fits);
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char* name = block + sizeof(UINT) + i * descriptorSize + DescriptorNameOffset;
            Char chars[DescriptorNameChars];
            std::memcpy(chars, name, sizeof(chars));
            std::size_t length = 0;
            while (length < DescriptorNameChars && chars[length]) ++length;
            if constexpr (sizeof(Char) == 1) {
                std::wstring wide;
                if (length) {
                    const int w =
                        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(chars), int(length), nullptr, 0);
                    wide.resize(w);
                    MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(chars), int(length), wide.data(), w);
                }
                list->Add(wide);
            } else {
                list->Add(std::wstring(reinterpret_cast<const wchar_t*>(chars), length));
            }
        }
    }
    return list;
}

}  // namespace

std::unique_ptr<fw::TStringList> GetFileGroupDescriptorNamesA(const STGMEDIUM& Medium) {
    return ReadDescriptorNames<char>(Medium);
}

std::unique_ptr<fw::TStringList> GetFileGroupDescriptorNamesW(const STGMEDIUM& Medium) {
    return ReadDescriptorNames<wchar_t>(Medium);
}

std::wstring ResolveShortcut(const std::wstring& LinkPath) {
    fw::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
        !link)
        return std::wstring();
    const fw::ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(file->Load(LinkPath.c_str(), STGM_READ))) return std::wstring();
    std::vector<wchar_t> buffer(32767, L'\0');
    if (FAILED(link->GetPath(buffer.data(), int(buffer.size()), nullptr, SLGP_UNCPRIORITY))) return std::wstring();
    return buffer.data();
}

bool DisableFsRedirection() {
    if (!UseWow64RedirectionSwitch || !BoundEntries.Wow64DisableWow64FsRedirection) return false;
    PVOID old = nullptr;
    return BoundEntries.Wow64DisableWow64FsRedirection(&old) && old != nullptr;
}

bool RevertFsRedirection(bool Disabled) {
    if (!UseWow64RedirectionSwitch || !BoundEntries.Wow64RevertWow64FsRedirection) return false;
    return BoundEntries.Wow64RevertWow64FsRedirection(Disabled ? reinterpret_cast<PVOID>(~ULONG_PTR(0)) : nullptr) !=
           FALSE;
}

std::wstring GetTempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH, buffer);
    return (n > 0 && n <= MAX_PATH) ? std::wstring(buffer, n) : std::wstring();
}

bool IsReparsePoint(DWORD Attributes) {
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

int PosFrom(const std::wstring& SubText, const std::wstring& Text, int Offset) {
    if (Offset < 1) Offset = 1;
    if (SubText.empty() || std::size_t(Offset) > Text.size()) return 0;
    const std::size_t p = Text.find(SubText, std::size_t(Offset - 1));
    return p == std::wstring::npos ? 0 : int(p) + 1;
}

// The x64 thunk: makes room for a fifth argument, shifts the four register
// arguments one place to the right, puts Instance first and calls Code.
void* MakeCallbackThunk(void* Instance, void* Code) {
#if defined(__x86_64__) || defined(_M_X64)
    unsigned char code[] = {
        0x48, 0x83, 0xEC, 0x38,                       // sub  rsp, 38h
        0x4C, 0x89, 0x4C, 0x24, 0x20,                 // mov  [rsp+20h], r9
        0x4D, 0x89, 0xC1,                             // mov  r9, r8
        0x49, 0x89, 0xD0,                             // mov  r8, rdx
        0x48, 0x89, 0xCA,                             // mov  rdx, rcx
        0x48, 0xB9, 0,    0,    0,    0, 0, 0, 0, 0,  // mov  rcx, Instance
        0x48, 0xB8, 0,    0,    0,    0, 0, 0, 0, 0,  // mov  rax, Code
        0xFF, 0xD0,                                   // call rax
        0x48, 0x83, 0xC4, 0x38,                       // add  rsp, 38h
        0xC3,                                         // ret
    };
    std::memcpy(code + 20, &Instance, sizeof(Instance));
    std::memcpy(code + 30, &Code, sizeof(Code));
    void* thunk = VirtualAlloc(nullptr, sizeof(code), MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (!thunk) return nullptr;
    std::memcpy(thunk, code, sizeof(code));
    FlushInstructionCache(GetCurrentProcess(), thunk, sizeof(code));
    return thunk;
#else
#error "MakeCallbackThunk is written for x64 only"
#endif
}

void FreeCallbackThunk(void* Thunk) {
    if (Thunk) VirtualFree(Thunk, 0, MEM_RELEASE);
}

TErrorModeGuard::TErrorModeGuard(DWORD Mode) {
    // The thread's own mode, so that threads switching it at once cannot
    // restore each other's values for the whole process.
    set_ = SetThreadErrorMode(Mode, &previous_) != FALSE;
}

TErrorModeGuard::~TErrorModeGuard() {
    if (set_) SetThreadErrorMode(previous_, nullptr);
}

const TOsVersionFlags& OsVersionFlags() {
    return osFlags;
}

void SetOsVersionFlags() {
    TOsVersionFlags flags;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL ok = GetVersionExW(&info);
#pragma GCC diagnostic pop
    if (ok) {
        const DWORD major = info.dwMajorVersion, minor = info.dwMinorVersion;
        flags.Win2000OrLater = major >= 5;
        flags.WinXPOr2003 = major == 5 && (minor == 1 || minor == 2);
        flags.WinXPOrLater = (major == 5 && minor >= 1) || major >= 6;
        flags.WinVistaOrLater = major >= 6;
        flags.Win7OrLater = (major == 6 && minor >= 1) || major >= 7;
    }
    osFlags = flags;
}

}  // namespace shell
