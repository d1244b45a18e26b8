// Implements tools/runner/scenario_set.h.
#include "tools/runner/scenario_set.h"

#include "tools/runner/file_access.h"
#include "tools/runner/machine_kind.h"

#include <algorithm>
#include <map>

namespace vorn::runner {
namespace {

// A scenario error names its file first; the report line names it already.
std::string WithoutFilePrefix(const std::string& message, const std::string& file) {
    return message.rfind(file + ": ", 0) == 0 ? message.substr(file.size() + 2) : message;
}

struct Verdict {
    enum class Kind { Passed, Failed, Skipped } kind = Kind::Passed;
    std::string line; // as said
};

Verdict RunOne(const std::string& file, const RunOptions& options, const Summarize& summarize) {
    std::string shown = robot::Cp932ToUtf8(file);
    Scenario scenario;
    try {
        scenario = LoadScenario(file);
    } catch (const ScenarioError& error) {
        return {Verdict::Kind::Failed,
                "FAILED " + shown + ": " + WithoutFilePrefix(error.what(), shown)};
    }
    if (auto reason = SkipReason(scenario, options.machineKind,
                                 options.family.empty() ? ThisWindowsFamily() : options.family))
        return {Verdict::Kind::Skipped, "skipped " + scenario.title + ": " + *reason};
    AdaptToWindowsFolder(scenario, options.layout.windowsDir);
    ScenarioOutcome outcome;
    try {
        outcome = RunScenario(scenario, options);
    } catch (const std::exception& error) {
        outcome.difference = std::string("the runner failed: ") + error.what();
    }
    if (summarize)
        for (size_t run = 0; run < outcome.summaries.size(); ++run)
            summarize(run, outcome.summaries[run]);
    if (options.interactive)
        return {outcome.difference ? Verdict::Kind::Failed : Verdict::Kind::Passed,
                "ran " + scenario.title + ": exit code " + std::to_string(outcome.exitCode) +
                    (outcome.difference ? " (" + *outcome.difference + ")" : "")};
    if (outcome.difference)
        return {Verdict::Kind::Failed, "FAILED " + scenario.title + ": " + *outcome.difference};
    return {Verdict::Kind::Passed, "ok " + scenario.title};
}

void Count(Tally& tally, Verdict::Kind kind) {
    (kind == Verdict::Kind::Passed   ? tally.passed
     : kind == Verdict::Kind::Failed ? tally.failed
                                     : tally.skipped) += 1;
}

// expected.tsv: file name, tab, the part of the message it must fail with.
std::map<std::string, std::string> ExpectedFailures(const std::string& folder) {
    std::map<std::string, std::string> expected;
    FileState table = ReadFileState(folder + "\\expected.tsv");
    for (size_t start = 0; start < table.bytes.size();) {
        size_t end = table.bytes.find('\n', start);
        if (end == std::string::npos) end = table.bytes.size();
        std::string line = table.bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t tab = line.find('\t');
        if (tab != std::string::npos && tab > 0)
            expected[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return expected;
}

} // namespace

Tally& Tally::operator+=(const Tally& other) {
    passed += other.passed;
    failed += other.failed;
    skipped += other.skipped;
    return *this;
}

std::string Tally::Counts() const {
    return std::to_string(passed) + " passed, " + std::to_string(failed) + " failed" +
           (skipped ? ", " + std::to_string(skipped) + " skipped" : "");
}

std::vector<std::string> JsonFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : ListFolder(folder, "*.json"))
        if (!entry.isFolder) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    std::vector<std::string> files;
    for (const std::string& name : names)
        files.push_back(folder + "\\" + name);
    return files;
}

Tally RunScenarioFiles(const std::vector<std::string>& files, const RunOptions& options,
                       const Say& say, const Summarize& summarize) {
    Tally tally;
    for (const std::string& file : files) {
        Verdict verdict = RunOne(file, options, summarize);
        Count(tally, verdict.kind);
        say(verdict.line + "\n");
    }
    return tally;
}

Tally CheckNegativeControls(const std::string& folder, const RunOptions& options, const Say& say) {
    Tally tally;
    std::map<std::string, std::string> expected = ExpectedFailures(folder);
    auto fail = [&](const std::string& name, const std::string& why) {
        ++tally.failed;
        say("FAILED " + robot::Cp932ToUtf8(name) + ": " + why + "\n");
    };
    std::vector<std::string> seen;
    for (const std::string& file : JsonFilesIn(folder)) {
        std::string name = file.substr(folder.size() + 1);
        seen.push_back(name);
        auto fragment = expected.find(name);
        if (fragment == expected.end()) {
            fail(name, "no expected message in expected.tsv");
            continue;
        }
        Verdict verdict = RunOne(file, options, {});
        if (verdict.kind == Verdict::Kind::Skipped) {
            ++tally.skipped;
            say(verdict.line + "\n");
        } else if (verdict.kind == Verdict::Kind::Passed) {
            fail(name, "the runner let it pass: " + verdict.line);
        } else if (verdict.line.find(fragment->second) == std::string::npos) {
            fail(name, "failed for another reason; expected \"" + fragment->second +
                           "\", got: " + verdict.line);
        } else {
            ++tally.passed;
            say("ok " + robot::Cp932ToUtf8(name) + ", failed as it must: " + verdict.line + "\n");
        }
    }
    for (const auto& entry : expected)
        if (std::find(seen.begin(), seen.end(), entry.first) == seen.end())
            fail(entry.first, "listed in expected.tsv but missing");
    return tally;
}

} // namespace vorn::runner
