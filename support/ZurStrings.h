#pragma once
// The ANSI character tables of the user's locale (256 entries each), built once
// when the unit starts; before that every lookup answers 0.
#include <windows.h>

namespace zur {

// The CT_CTYPE1 bits (C1_UPPER, C1_LOWER, C1_ALPHA, ...) of an ANSI character.
WORD AnsiCharType(unsigned char C);
unsigned char AnsiLowerChar(unsigned char C);
unsigned char AnsiUpperChar(unsigned char C);
// Upper case becomes lower, lower case upper; anything else stays.
unsigned char AnsiSwapCaseChar(unsigned char C);

void ZurStringsInitialize();
void ZurStringsFinalize();

}  // namespace zur
