#pragma once
// Where the test machine keeps its scratch places. tools/test sets these up and
// names them in the environment; tests never use host paths of their own.
#include <string>

namespace testenv {

// The scratch drive's root as Windows sees it ("D:\"), or the temp folder when unset.
std::wstring ScratchRoot();
// A fresh, empty folder below the scratch root, unique per call; its path ends without "\".
std::wstring NewScratchFolder(const std::wstring& hint);
// The Windows path of the test printer's output file.
std::wstring PrintFile();
// An environment variable's value, empty when unset.
std::wstring Env(const wchar_t* name);

// Text as a JSON string literal (UTF-8), for the host programs that read samples back.
std::string JsonString(const std::wstring& text);

}  // namespace testenv
