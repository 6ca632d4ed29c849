#include "support/ZurWideStrings.h"

#include "support/ZurMutex.h"

#include "framework/SyncObjs.h"
#include "support/ZurSysInfo.h"
#include "support/ZurUnitVersioning.h"

#include <cwchar>
#include <memory>

namespace zur {

namespace {

std::unique_ptr<TZurCriticalSection> CompareLock;
UINT LocaleCodePage = 0;  // found on first use by the ANSI routine

int CompareWide(const std::wstring& S1, const std::wstring& S2) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, S1.data(), int(S1.size()), S2.data(), int(S2.size())) -
           2;
}

std::string ToCodePage(const std::wstring& S, UINT CodePage) {
    if (S.empty()) return {};
    const int n = WideCharToMultiByte(CodePage, 0, S.data(), int(S.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CodePage, 0, S.data(), int(S.size()), result.data(), n, nullptr, nullptr);
    return result;
}

UINT FindLocaleCodePage() {
    // Asked once; the lock keeps two first callers from racing on the cache.
    CompareLock->Enter();
    struct Leave {
        ~Leave() { CompareLock->Leave(); }
    } leave;
    if (LocaleCodePage == 0) {
        wchar_t text[6] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, text, 6);
        wchar_t* end = nullptr;
        const unsigned long value = std::wcstoul(text, &end, 10);
        LocaleCodePage = (end != text && *end == L'\0' && value != 0) ? UINT(value) : GetACP();
    }
    return LocaleCodePage;
}

int CompareAnsi(const std::wstring& S1, const std::wstring& S2) {
    const UINT codePage = FindLocaleCodePage();
    const std::string a = ToCodePage(S1, codePage), b = ToCodePage(S2, codePage);
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(), int(b.size())) - 2;
}

int (*CompareRoutine)(const std::wstring&, const std::wstring&) = CompareWide;

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/common/ZurWideStrings.cpp $",
                                      L"$Revision: 4 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\common",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

int LocaleCompareText(const std::wstring& S1, const std::wstring& S2) {
    return CompareRoutine(S1, S2);
}

void ZurWideStringsInitialize() {
    if (!StartCounter.Enter()) return;
    CompareLock = std::make_unique<TZurCriticalSection>();
    CompareRoutine = SystemInformation().IsWinNT ? CompareWide : CompareAnsi;
    RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurWideStringsFinalize() {
    if (!StartCounter.Leave()) return;
    UnregisterUnitVersion(ModuleInstance());
    CompareRoutine = CompareWide;
    CompareLock.reset();
}

}  // namespace zur
