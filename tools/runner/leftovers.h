// What a scenario's setup and run add beside the files it names (a backup
// the program wrote, a file another scenario will not name) is listed on the
// machine, and the next reset removes it, so that no scenario sees what an
// earlier one left even where it names nothing.
#pragma once

#include "tools/runner/machine.h"

#include <set>
#include <string>
#include <vector>

namespace vorn::runner {

class LeftoverWatch {
  public:
    // Looks at the folders of the scenario's named paths as they are after
    // the reset, before the setup.
    LeftoverWatch(const Scenario& scenario, const MachineLayout& layout);
    // After the run: adds everything new in those folders to the list.
    void Record() const;

  private:
    struct Folder {
        std::string path;
        bool existed;
        std::set<std::string> entries; // folded names
    };
    const MachineLayout& layout_;
    std::vector<Folder> folders_;
};

// Part of the reset: removes what the list names and empties the list.
void RemoveLeftovers(const MachineLayout& layout);

} // namespace vorn::runner
