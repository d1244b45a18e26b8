// What the twins' import hook played while the scenarios ran on an older
// Windows (tools/faults/fault_hook.h): the runner names a log in the
// environment the programs inherit, and reports each play once, with the
// number of program runs that made it.
#pragma once

#include "tools/faults/personality.h"

#include <string>
#include <vector>

namespace vorn::runner {

class PlayLog {
  public:
    // Empties the log at `path` (code page 932), making its folder, and names
    // it to every program started from now on.
    explicit PlayLog(std::string path);

    // "win98 played, in N program runs: LINE" for each line the hook wrote,
    // in the order first written (UTF-8).
    std::vector<std::string> Report(const faults::PersonalityName& played) const;

  private:
    std::string path_;
    std::string setting_; // NAME=PATH, kept while the log is named
};

} // namespace vorn::runner
