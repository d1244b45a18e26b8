// Many scenario files in a row, as runner.exe and the test kit run them: a
// line per file, then the counts. Each file is read, skipped when it holds only
// on another kind of Windows (the reason printed), fitted to the machine's
// Windows folder and run.
#pragma once

#include "tools/runner/scenario_run.h"

#include <functional>
#include <string>
#include <vector>

namespace vorn::runner {

struct Tally {
    int passed = 0, failed = 0, skipped = 0;
    Tally& operator+=(const Tally& other);
    // "N passed, N failed", with ", N skipped" when any were.
    std::string Counts() const;
};

using Say = std::function<void(const std::string& utf8)>;
// Receives the summary of run `run` (0 for the first) of a scenario.
using Summarize = std::function<void(size_t run, const std::string& utf8)>;

// A folder's *.json files, sorted by name (code page 932 paths).
std::vector<std::string> JsonFilesIn(const std::string& folder);

// Says "ok TITLE", "FAILED TITLE: DIFFERENCE" or "skipped TITLE: REASON" for
// each file; `summarize` may be empty.
Tally RunScenarioFiles(const std::vector<std::string>& files, const RunOptions& options,
                       const Say& say, const Summarize& summarize);

// The negative controls of `folder`: each *.json must fail with the message
// that the folder's expected.tsv gives for its file name ("NAME<TAB>PART OF
// THE MESSAGE" a line), and each line must name a file there. A control
// that fails as it must counts as passed: "ok NAME, failed as it must: LINE".
Tally CheckNegativeControls(const std::string& folder, const RunOptions& options, const Say& say);

} // namespace vorn::runner
