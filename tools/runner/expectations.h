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
    void Take(const std::string& path, HANDLE heldOpen);
    const FileState& Before(const std::string& path) const;

  private:
    std::map<std::string, FileState> states_;
};

// The registry trees and ini sections that "same_as_before" names, taken
// right before the first program starts.
class SettingsRecord {
  public:
    void Take(const Expectations& expect);
    const std::vector<std::string>& Tree(const std::string& key) const;
    const std::vector<std::string>& Section(const std::string& path,
                                            const std::string& section) const;

  private:
    std::map<std::string, std::vector<std::string>> trees_;    // by folded key
    std::map<std::string, std::vector<std::string>> sections_; // by folded path and section
};

// The entries of an ini section as "key=value" (code page 932), in file
// order; none when the file or the section is missing.
std::vector<std::string> ReadIniSection(const std::string& path, const std::string& section);

// The paths whose content the record must hold for this scenario.
std::vector<std::string> PathsToRecord(const Expectations& expect);

struct RunFacts {
    std::optional<DWORD> exitCode; // none after chained runs, each checked on its own
    bool editorStarted = false;
    bool editorOnReadme = false;
    std::string editorCommandLines; // UTF-8
};

// The first expectation that does not hold, as a message naming its field
// (UTF-8); nullopt when all hold.
std::optional<std::string> FindUnmetExpectation(const Expectations& expect, const RunFacts& facts,
                                                const FileRecord& record,
                                                const SettingsRecord& settings);

} // namespace vorn::runner
