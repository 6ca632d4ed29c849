#include "support/ZurUnicode.h"

#include "support/ZurBase.h"
#include "support/ZurSysInfo.h"
#include "support/ZurUnitVersioning.h"

#include <memory>

namespace zur {

namespace {

constexpr size_t TableSize = 65536;

struct TWideTables {
    WORD Type[TableSize];
    wchar_t Lower[TableSize];
    wchar_t Upper[TableSize];
    wchar_t Swap[TableSize];
};

std::unique_ptr<TWideTables> Tables;
char ReplacementChar = 0;

void BuildWideTables() {
    auto tables = std::make_unique<TWideTables>();
    for (size_t i = 0; i < TableSize; ++i) tables->Lower[i] = tables->Upper[i] = wchar_t(i);
    GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, tables->Lower, int(TableSize), tables->Type);
    CharLowerBuffW(tables->Lower, DWORD(TableSize));
    CharUpperBuffW(tables->Upper, DWORD(TableSize));
    for (size_t i = 0; i < TableSize; ++i) {
        if (tables->Type[i] & C1_UPPER) tables->Swap[i] = tables->Lower[i];
        else if (tables->Type[i] & C1_LOWER) tables->Swap[i] = tables->Upper[i];
        else tables->Swap[i] = wchar_t(i);
    }
    Tables = std::move(tables);
}

const wchar_t* NextCharNT(const wchar_t* P) {
    return CharNextW(P);
}
const wchar_t* NextUnit(const wchar_t* P) {
    return *P ? P + 1 : P;
}

const wchar_t* (*NextCharRoutine)(const wchar_t*) = NextUnit;

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/common/ZurUnicode.cpp $",
                                      L"$Revision: 15 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\common",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

WORD WideCharType(wchar_t C) {
    return Tables ? Tables->Type[C] : 0;
}
wchar_t WideLowerChar(wchar_t C) {
    return Tables ? Tables->Lower[C] : 0;
}
wchar_t WideUpperChar(wchar_t C) {
    return Tables ? Tables->Upper[C] : 0;
}
wchar_t WideSwapCaseChar(wchar_t C) {
    return Tables ? Tables->Swap[C] : 0;
}

char AnsiReplacementChar() {
    return ReplacementChar;
}

const wchar_t* NextChar(const wchar_t* P) {
    return NextCharRoutine(P);
}

void ZurUnicodeInitialize() {
    if (!StartCounter.Enter()) return;
    BuildWideTables();
    CPINFO info = {};
    if (!GetCPInfo(CP_ACP, &info)) throw EZurInternalError(L"Failed to get ANSI replacement character");
    ReplacementChar = char(info.DefaultChar[0]);
    NextCharRoutine = SystemInformation().IsWinNT ? NextCharNT : NextUnit;
    RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurUnicodeFinalize() {
    if (StartCounter.Leave()) UnregisterUnitVersion(ModuleInstance());
}

}  // namespace zur
