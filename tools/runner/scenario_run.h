// One scenario from start to end: reset and set up the machine, run the
// program (or each of its chained runs) and answer its dialogs, check what
// was left.
#pragma once

#include "tools/runner/machine.h"
#include "tools/runner/scenario.h"

#include <optional>
#include <string>
#include <vector>

namespace vorn::runner {

struct RunOptions {
    MachineLayout layout;
    std::string shotsDir; // code page 932; empty: no screenshots
    // Several scenarios in one run keep their screenshots apart, a folder each.
    bool shotsFolderPerScenario = false;
    bool summary = false;
    bool interactive = false;         // a person answers; nothing is checked
    std::string machineKind = "wine"; // for "only_on": "wine" or "windows"
    // For "only_on": "9x" or "nt"; empty: ThisWindowsFamily() (machine_kind.h).
    std::string family;
};

struct ScenarioOutcome {
    std::optional<std::string> difference; // UTF-8; nullopt when the scenario passed
    // UTF-8, when asked for: one per run made (a scenario without chained
    // runs has one).
    std::vector<std::string> summaries;
    DWORD exitCode = 0;
};

ScenarioOutcome RunScenario(const Scenario& scenario, const RunOptions& options);

} // namespace vorn::runner
