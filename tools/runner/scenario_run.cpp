// Implements tools/runner/scenario_run.h.
#include "tools/runner/scenario_run.h"

#include "tools/runner/dialog_match.h"
#include "tools/runner/editor_watch.h"
#include "tools/runner/expectations.h"
#include "tools/runner/leftovers.h"
#include "tools/runner/summary.h"

#include "tools/robot/text_codec.h"

#include <cstdio>
#include <functional>

namespace vorn::runner {
namespace {

constexpr DWORD kDialogTimeoutMs = 15000; // for each expected dialog, and for the end
constexpr DWORD kCloseTimeoutMs = 10000;  // for a dialog to go once answered

using Poll = std::function<void()>;

std::string Stem(const std::string& utf8File) {
    size_t slash = utf8File.find_last_of("\\/");
    std::string name = slash == std::string::npos ? utf8File : utf8File.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// A screenshot of each dialog before it is answered: SHOTS\01-warning.bmp, or
// SHOTS\<scenario file name>\01-warning.bmp when the run has several.
class Shots {
  public:
    Shots(const RunOptions& options, const std::string& scenarioFile) {
        if (options.shotsDir.empty()) return;
        try {
            folder_ = options.shotsDir;
            if (options.shotsFolderPerScenario) {
                folder_ += '\\';
                folder_ += robot::Utf8ToCp932(Stem(scenarioFile));
            }
            MakeFolders(folder_);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "runner: no screenshots: %s\n", error.what());
            folder_.clear();
        }
    }
    void Take(int number, const std::string& kind, const robot::Dialog& dialog) const {
        if (folder_.empty()) return;
        char name[64];
        std::snprintf(name, sizeof name, "\\%02d-%s.bmp", number, kind.c_str());
        try {
            robot::SaveScreenshot(dialog.window, folder_ + name);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "runner: screenshot %s: %s\n", name + 1, error.what());
        }
    }

  private:
    std::string folder_;
};

// Answers one dialog, already matched: types, then gives each answer in turn.
std::optional<std::string> AnswerDialog(const ExpectedDialog& expected, robot::Dialog dialog,
                                        const robot::Program& program, const Poll& poll) {
    try {
        if (expected.type) robot::TypeIntoEdit(dialog, *expected.type);
        for (size_t i = 0; i < expected.answers.size(); ++i) {
            robot::Perform(program, dialog, expected.answers[i]);
            if (i + 1 == expected.answers.size()) break;
            // Perform returned once the dialog had handled the answer.
            if (!IsWindow(dialog.window) || !IsWindowVisible(dialog.window))
                return "closed by the answer " + ShownText(expected.answers[i].source) +
                       " before the answers after it";
            dialog = robot::ReadDialog(dialog.window);
        }
    } catch (const robot::RobotError& error) {
        return std::string("cannot answer: ") + error.what();
    }
    if (!robot::WaitUntilClosed(program, dialog.window, kCloseTimeoutMs, poll))
        return "still open 10 s after the answer " + ShownText(expected.answers.back().source);
    return std::nullopt;
}

// Drives one run's dialogs; screenshots are numbered on from `firstShot`.
std::optional<std::string> DriveDialogs(const ProgramRun& run, const robot::Program& program,
                                        const Shots& shots, int firstShot, const Poll& poll) {
    const std::string title = ProgramTitle(run.program);
    size_t count = run.dialogs.size();
    for (size_t i = 0; i < count; ++i) {
        const ExpectedDialog& expected = run.dialogs[i];
        std::string label = "dialog " + std::to_string(i + 1) + " (" + expected.kindName + ")";
        robot::WaitResult wait = robot::WaitForDialog(program, kDialogTimeoutMs, poll);
        if (wait.kind == robot::WaitResult::Ended)
            return label + ": missing: the program ended with exit code " +
                   std::to_string(program.ExitCode()) +
                   (i ? " after dialog " + std::to_string(i) : " before any dialog");
        if (wait.kind == robot::WaitResult::TimedOut)
            return label + ": missing: no dialog appeared within 15 s";
        robot::Dialog dialog = robot::ReadDialog(wait.dialog);
        shots.Take(firstShot + static_cast<int>(i), expected.kindName, dialog);
        if (auto difference = FindDifference(expected, dialog, title))
            return label + ": " + *difference;
        if (auto problem = AnswerDialog(expected, dialog, program, poll))
            return label + ": " + *problem;
    }
    robot::WaitResult wait = robot::WaitForDialog(program, kDialogTimeoutMs, poll);
    if (wait.kind == robot::WaitResult::DialogShown) {
        robot::Dialog dialog = robot::ReadDialog(wait.dialog);
        shots.Take(firstShot + static_cast<int>(count), "extra", dialog);
        return "dialog " + std::to_string(count + 1) + ": extra dialog: " + Sketch(dialog);
    }
    if (wait.kind == robot::WaitResult::TimedOut)
        return std::string("the program did not end within 15 s after the last dialog");
    return std::nullopt;
}

// Starts one program of the package, answers its dialogs and waits for its
// end. The difference names the run when the scenario chains several.
std::optional<std::string> PerformRun(const Scenario& scenario, size_t index,
                                      const RunOptions& options, const Shots& shots,
                                      int& shotNumber, RunFacts& facts, DWORD& exitCode) {
    const ProgramRun& run = scenario.runs[index];
    const MachineLayout& layout = options.layout;
    std::optional<std::string> difference;
    robot::Program program("\"" + layout.programDir + "\\" + run.program + "\"", layout.programDir);
    EditorWatch editors(program.ProcessId());
    Poll poll = [&editors] { editors.Poll(); };
    if (options.interactive) {
        std::fprintf(stderr, "runner: %s runs; answer its dialogs by hand\n", run.program.c_str());
        std::fflush(stderr);
        while (!program.WaitForEnd(200))
            poll();
    } else {
        difference = DriveDialogs(run, program, shots, shotNumber, poll);
        shotNumber += static_cast<int>(run.dialogs.size());
    }
    if (difference) program.Kill();
    program.WaitForEnd(5000);
    editors.Poll();
    exitCode = program.ExitCode();
    // The editor counts when any of the runs started it.
    facts.editorStarted = facts.editorStarted || editors.Started();
    facts.editorOnReadme = facts.editorOnReadme || editors.StartedOnReadme();
    facts.editorCommandLines += editors.CommandLines();
    if (!options.interactive) editors.CloseAll();
    if (!difference && run.exitCode && !options.interactive &&
        static_cast<DWORD>(*run.exitCode) != exitCode)
        difference = "exit code: expected " + std::to_string(static_cast<DWORD>(*run.exitCode)) +
                     ", the program ended with " + std::to_string(exitCode);
    if (difference && scenario.chained)
        difference = "run " + std::to_string(index + 1) + " (" + run.program + "): " + *difference;
    return difference;
}

std::vector<std::string> SummaryPaths(const Scenario& scenario, const MachineLayout& layout) {
    std::vector<std::string> paths = NamedFilePaths(scenario);
    for (const std::string& path : WatchedSystemFiles(layout))
        AddPathOnce(paths, path);
    return paths;
}

} // namespace

ScenarioOutcome RunScenario(const Scenario& scenario, const RunOptions& options) {
    ScenarioOutcome outcome;
    const MachineLayout& layout = options.layout;
    CloseLeftoverEditors(layout.programDir);
    FileLocks locks;
    try {
        ResetMachine(scenario, layout);
    } catch (const MachineError& error) {
        outcome.difference = std::string("machine reset: ") + error.what();
        return outcome;
    }
    LeftoverWatch leftovers(scenario, layout);
    std::vector<std::string> summaryPaths = SummaryPaths(scenario, layout);
    MachineSnapshot before;
    try {
        ApplySetup(scenario, layout, locks);
        if (options.summary) before = TakeSnapshot(summaryPaths, layout, locks);
    } catch (const MachineError& error) {
        leftovers.Record();
        outcome.difference = std::string("setup: ") + error.what();
        return outcome;
    }
    FileRecord record;
    for (const std::string& path : PathsToRecord(scenario.expect))
        record.Take(path, locks.HandleFor(path));
    SettingsRecord settings;
    settings.Take(scenario.expect);

    std::optional<std::string> difference;
    RunFacts facts;
    DWORD exitCode = 0;
    std::vector<MachineSnapshot> afterRuns; // for the summary
    try {
        Shots shots(options, scenario.file);
        int shotNumber = 1;
        for (size_t i = 0; i < scenario.runs.size() && !difference; ++i) {
            difference = PerformRun(scenario, i, options, shots, shotNumber, facts, exitCode);
            if (options.summary) afterRuns.push_back(TakeSnapshot(summaryPaths, layout, locks));
        }
        // Each chained run checked its own exit code.
        if (!scenario.chained) facts.exitCode = exitCode;
    } catch (const robot::RobotError& error) {
        difference = std::string("cannot run the program: ") + error.what();
    }
    locks.Release();
    leftovers.Record();
    outcome.exitCode = exitCode;
    if (!difference && !options.interactive)
        difference = FindUnmetExpectation(scenario.expect, facts, record, settings);
    outcome.difference = difference;
    if (!options.summary) return outcome;
    if (afterRuns.empty()) afterRuns.push_back(TakeSnapshot(summaryPaths, layout, locks));
    // A chained scenario's later runs are each set against the machine before
    // the first: the way back shows whether everything reads as it did.
    for (size_t i = 0; i < afterRuns.size(); ++i) {
        SummaryHeading heading{scenario.title, scenario.file, "", false};
        if (scenario.chained)
            heading.after = "after run " + std::to_string(i + 1) + " (" + scenario.runs[i].program +
                            ")" + (i ? ", against the machine before run 1" : "");
        heading.verdict = i > 0;
        outcome.summaries.push_back(FormatSummary(heading, before, afterRuns[i]));
    }
    return outcome;
}

} // namespace vorn::runner
