#pragma once
// Comparing texts by the user's locale, ignoring case. The platform's routine is
// chosen when the unit starts (NT: wide comparison; older Windows: through the
// locale's ANSI code page).
#include <string>

namespace zur {

// -1, 0 or 1 as S1 sorts before, with or after S2.
int LocaleCompareText(const std::wstring& S1, const std::wstring& S2);

void ZurWideStringsInitialize();
void ZurWideStringsFinalize();

}  // namespace zur
