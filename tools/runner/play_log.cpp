// Implements tools/runner/play_log.h.
#include "tools/runner/play_log.h"

#include "tools/runner/file_access.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace vorn::runner {

PlayLog::PlayLog(std::string path) : path_(std::move(path)) {
    MakeFolders(path_.substr(0, path_.rfind('\\')));
    RemovePath(path_);
    // The C runtime passes the setting on to Windows' own environment, which
    // the programs the runner starts inherit; SetEnvironmentVariableA is
    // documented from XP on only (tools/imports).
    setting_ = std::string(faults::kPersonalityLogVariable) + "=" + path_;
    _putenv(setting_.c_str());
}

std::vector<std::string> PlayLog::Report(const faults::PersonalityName& played) const {
    // The hook writes each play once a process, so a line's count is the
    // number of runs that made it.
    std::vector<std::pair<std::string, int>> plays;
    const FileState log = ReadFileState(path_);
    for (size_t start = 0; start < log.bytes.size();) {
        size_t end = log.bytes.find('\n', start);
        if (end == std::string::npos) end = log.bytes.size();
        std::string line = log.bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        auto found = std::find_if(plays.begin(), plays.end(),
                                  [&line](const auto& play) { return play.first == line; });
        if (found == plays.end())
            plays.emplace_back(line, 1);
        else
            ++found->second;
    }
    std::vector<std::string> report;
    for (const auto& [line, runs] : plays)
        report.push_back(std::string(played.name) + " played, in " + std::to_string(runs) +
                         " program run" + (runs == 1 ? "" : "s") + ": " + robot::Cp932ToUtf8(line));
    return report;
}

} // namespace vorn::runner
