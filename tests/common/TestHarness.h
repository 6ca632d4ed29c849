// The two lines by which CTest judges a test program (tests/CMakeLists.txt matches them):
// the completed line is printed only when every test ran and passed, the crash line when
// the program died on a fault. Keep both in step with the patterns there.
#pragma once

namespace tabulorin::test {

inline constexpr const char* CompletedLine = "[ TABULORIN ] every test ran and passed";
inline constexpr const char* CrashLine = "[ TABULORIN ] test program crashed:";

}  // namespace tabulorin::test
