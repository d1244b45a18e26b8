// A readable account of what a run changed on the machine: the files the
// scenario names and the system files the program may touch, the client's
// registry tree and win.ini's font substitutes, before and after.
#pragma once

#include "tools/runner/machine.h"

#include <string>
#include <utility>
#include <vector>

namespace vorn::runner {

struct MachineSnapshot {
    std::vector<std::pair<std::string, std::string>> files; // path (cp932), state (UTF-8)
    std::vector<std::string> registry;                      // lines, UTF-8
    std::vector<std::string> fontSubstitutes;               // lines, UTF-8
};

// Files the runner holds open (`locks`) are read through its own handle.
MachineSnapshot TakeSnapshot(const std::vector<std::string>& paths, const MachineLayout& layout,
                             const FileLocks& locks);

struct SummaryHeading {
    std::string title, file; // UTF-8
    std::string after;       // which run the section follows; empty for a single run
    bool verdict = false;    // close with whether everything reads as before
};

// The section for one scenario (or one run of a chained one), UTF-8. Every
// change is named: a registry value with its key, e.g. `[Software\...\Message
// Archive] "New Font Name": sz "MS Sans Serif" -> sz "MS Sans Serij"`.
std::string FormatSummary(const SummaryHeading& heading, const MachineSnapshot& before,
                          const MachineSnapshot& after);

} // namespace vorn::runner
