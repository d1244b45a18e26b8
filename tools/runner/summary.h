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

// The section for one scenario, UTF-8.
std::string FormatSummary(const std::string& title, const std::string& file,
                          const MachineSnapshot& before, const MachineSnapshot& after);

} // namespace vorn::runner
