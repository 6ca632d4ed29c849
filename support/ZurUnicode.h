#pragma once
// The wide character tables (65536 entries each), the ANSI code page's
// replacement character and the character-stepping routine, all made once when
// the unit starts. Before that the tables answer 0.
#include <windows.h>

namespace zur {

// The CT_CTYPE1 bits of a UTF-16 unit.
WORD WideCharType(wchar_t C);
wchar_t WideLowerChar(wchar_t C);
wchar_t WideUpperChar(wchar_t C);
// Upper case becomes lower, lower case upper; anything else stays.
wchar_t WideSwapCaseChar(wchar_t C);

// The character the ANSI code page puts for what it cannot show.
char AnsiReplacementChar();

// The next character of a zero-terminated text (the end stays where it is).
const wchar_t* NextChar(const wchar_t* P);

void ZurUnicodeInitialize();
void ZurUnicodeFinalize();

}  // namespace zur
