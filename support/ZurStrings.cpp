#include "support/ZurStrings.h"

#include "support/ZurUnitVersioning.h"

namespace zur {

namespace {

WORD TypeTable[256];
unsigned char LowerTable[256];
unsigned char UpperTable[256];
unsigned char SwapTable[256];

void BuildAnsiTables() {
    char chars[256];
    for (int i = 0; i < 256; ++i) chars[i] = char(i);
    GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, chars, 256, TypeTable);
    char lower[256], upper[256];
    for (int i = 0; i < 256; ++i) lower[i] = upper[i] = chars[i];
    CharLowerBuffA(lower, 256);
    CharUpperBuffA(upper, 256);
    for (int i = 0; i < 256; ++i) {
        LowerTable[i] = static_cast<unsigned char>(lower[i]);
        UpperTable[i] = static_cast<unsigned char>(upper[i]);
        if (TypeTable[i] & C1_UPPER) SwapTable[i] = LowerTable[i];
        else if (TypeTable[i] & C1_LOWER) SwapTable[i] = UpperTable[i];
        else SwapTable[i] = static_cast<unsigned char>(i);
    }
}

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/common/ZurStrings.cpp $",
                                      L"$Revision: 9 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\common",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

WORD AnsiCharType(unsigned char C) {
    return TypeTable[C];
}
unsigned char AnsiLowerChar(unsigned char C) {
    return LowerTable[C];
}
unsigned char AnsiUpperChar(unsigned char C) {
    return UpperTable[C];
}
unsigned char AnsiSwapCaseChar(unsigned char C) {
    return SwapTable[C];
}

void ZurStringsInitialize() {
    if (!StartCounter.Enter()) return;
    BuildAnsiTables();
    RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurStringsFinalize() {
    if (StartCounter.Leave()) UnregisterUnitVersion(ModuleInstance());
}

}  // namespace zur
