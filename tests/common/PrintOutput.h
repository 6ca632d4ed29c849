#pragma once
// What the test printer has printed. Its port appends every job to the print file
// as PostScript: a "%%Page:" line per page and a "%%EOF" line per job. The spooler
// writes a job after EndDoc returns, so a test notes the counts first and waits
// (up to a bound) for the jobs it expects.
#include <string>

namespace testenv {

struct PrintCounts {
    int pages = 0;
    int jobs = 0;
};

// The counts in the print file now (zero when it does not exist).
PrintCounts CountPrinted();
// Waits until the file holds at least Jobs jobs more than Before, for up to
// TimeoutMs; returns the counts then (the caller compares them).
PrintCounts WaitForJobs(const PrintCounts& Before, int Jobs, unsigned TimeoutMs = 15000);

}  // namespace testenv
