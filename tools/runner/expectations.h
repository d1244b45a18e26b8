// Checking what the run left on the machine against a scenario's "expect".
#pragma once

#include "tools/runner/file_access.h"
#include "tools/runner/scenario.h"

#include <map>
#include <optional>
#include <string>

namespace vorn::runner {

// The content of every file the expectations name, taken right before the
// program starts; keyed by folded path.
class FileRecord {
  public:
    void take(const std::string& path, HANDLE heldOpen);
    const FileState& before(const std::string& path) const;

  private:
    std::map<std::string, FileState> states_;
};

// The paths whose content the record must hold for this scenario.
std::vector<std::string> PathsToRecord(const Expectations& expect);

struct RunFacts {
    DWORD exitCode = 0;
    bool editorStarted = false;
    bool editorOnReadme = false;
    std::string editorCommandLines; // UTF-8
};

// The first expectation that does not hold, as a message naming its field
// (UTF-8); nullopt when all hold.
std::optional<std::string> FindUnmetExpectation(const Expectations& expect, const RunFacts& facts,
                                                const FileRecord& record);

} // namespace vorn::runner
