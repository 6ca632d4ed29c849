#include "tests/common/PrintOutput.h"

#include <windows.h>

#include <fstream>
#include <string>

#include "tests/common/TestEnv.h"

namespace testenv {

PrintCounts CountPrinted() {
    PrintCounts counts;
    std::ifstream file(PrintFile().c_str(), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("%%Page:", 0) == 0) ++counts.pages;
        if (line.rfind("%%EOF", 0) == 0) ++counts.jobs;
    }
    return counts;
}

PrintCounts WaitForJobs(const PrintCounts& Before, int Jobs, unsigned TimeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + TimeoutMs;
    PrintCounts now = CountPrinted();
    while (now.jobs < Before.jobs + Jobs && GetTickCount64() < deadline) {
        Sleep(20);  // the spooler's pipe gives no event to wait on; the deadline bounds the poll
        now = CountPrinted();
    }
    return now;
}

}  // namespace testenv
