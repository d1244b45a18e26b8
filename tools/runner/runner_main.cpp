// runner.exe: runs end-to-end scenario files against VORN.EXE and the
// package's other programs, which lie beside it.
//
//   runner.exe --vorn PATH\VORN.EXE --dist DIR [--keep DIR] [--shots DIR]
//              [--summary FILE] [--interactive] [--negative-controls]
//              SCENARIO-FILES-OR-FOLDERS...
//
// Prints "ok TITLE", "FAILED TITLE: DIFFERENCE" or "skipped TITLE: REASON"
// per scenario and last "N passed, N failed" (", N skipped" when any were;
// UTF-8). Exit code 0 when none failed, 1 when any failed, 2 when the run
// could not begin (usage, missing files). --negative-controls takes folders
// of scenarios that must each fail as their expected.tsv says.
//
// With VORN_PERSONALITY naming an older Windows (tools/bench/personality),
// --vorn names the twins (tools/faults), which play it: the runner first
// holds the version this Windows reports to the one played, and before the
// counts says what the twins played; when they played nothing, the programs
// run were not the twins, and that counts as one failure.
#include "tools/runner/machine_kind.h"
#include "tools/runner/play_log.h"
#include "tools/runner/scenario_set.h"

#include "tools/robot/text_codec.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>

using namespace vorn::runner;
namespace robot = vorn::robot;

namespace {

int Usage() {
    std::fputs("usage: runner.exe --vorn PATH\\VORN.EXE --dist DIR [--keep DIR] [--shots DIR] "
               "[--summary FILE] [--interactive] [--negative-controls] "
               "SCENARIO-FILES-OR-FOLDERS...\n",
               stderr);
    return 2;
}

void Print(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithoutTrailingBackslash(std::string path) {
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    RunOptions options;
    options.machineKind = ThisMachineKind();
    options.layout.windowsDir = ThisWindowsFolder();
    std::string summaryPath;
    std::vector<std::string> inputs;
    bool negativeControls = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--vorn" && hasValue) {
            options.layout.vornExe = argv[++i];
        } else if (argument == "--dist" && hasValue) {
            options.layout.distDir = WithoutTrailingBackslash(argv[++i]);
        } else if (argument == "--shots" && hasValue) {
            options.shotsDir = WithoutTrailingBackslash(argv[++i]);
        } else if (argument == "--summary" && hasValue) {
            summaryPath = argv[++i];
        } else if (argument == "--keep" && hasValue) {
            options.layout.benchDir = WithoutTrailingBackslash(argv[++i]);
        } else if (argument == "--interactive") {
            options.interactive = true;
        } else if (argument == "--negative-controls") {
            negativeControls = true;
        } else if (argument.rfind("--", 0) == 0) {
            return Usage();
        } else {
            inputs.push_back(WithoutTrailingBackslash(argument));
        }
    }
    if (options.layout.vornExe.empty() || options.layout.distDir.empty() || inputs.empty())
        return Usage();
    options.summary = !summaryPath.empty();

    const vorn::faults::PersonalityName* played = nullptr;
    try {
        played = PlayedPersonality();
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "runner: %s\n", error.what());
        return 2;
    }
    std::unique_ptr<PlayLog> plays;
    if (played) {
        if (std::optional<std::string> mismatch = VersionMismatch(*played)) {
            std::fprintf(stderr, "runner: %s\n", mismatch->c_str());
            return 2;
        }
        plays = std::make_unique<PlayLog>(options.layout.benchDir + "\\personality.log");
        Print(std::string("runner: ") + played->title + " played: this Windows reports " +
              std::to_string(played->major) + "." + std::to_string(played->minor) + " of the " +
              (played->nineX ? "9x" : "NT") + " family\n");
    }
    options.family = ThisWindowsFamily();
    // What the twins played, before the closing counts; nothing played at all
    // means they were not the twins.
    const auto sayPlays = [&](Tally& tally) {
        if (!played) return;
        const std::vector<std::string> report = plays->Report(*played);
        for (const std::string& line : report)
            Print(line + "\n");
        if (report.empty() && tally.passed + tally.failed > 0) {
            Print(std::string("FAILED ") + played->title + " played: no program played it (the " +
                  "programs must be the twins, tools/faults/twins)\n");
            ++tally.failed;
        }
    };

    std::vector<std::string> needed;
    for (const std::string& program : PackagePrograms())
        needed.push_back(ProgramSource(options.layout, program));
    for (const std::string& name : DistributedFiles())
        needed.push_back(options.layout.distDir + "\\" + name);
    for (const std::string& path : needed) {
        if (IsFile(path)) continue;
        std::fprintf(stderr, "runner: missing: %s (the package's files %s)\n",
                     robot::Cp932ToUtf8(path).c_str(),
                     "(the programs beside VORN.EXE, and readme.txt, Korvel.fon, KorvFix.fon) are "
                     "laid out from --vorn and --dist");
        return 2;
    }

    if (negativeControls) {
        Tally tally;
        for (const std::string& folder : inputs) {
            if (!IsFolder(folder)) {
                std::fprintf(stderr, "runner: negative controls come as folders: %s\n",
                             robot::Cp932ToUtf8(folder).c_str());
                return 2;
            }
            tally += CheckNegativeControls(folder, options, Print);
        }
        sayPlays(tally);
        Print(tally.Counts() + "\n");
        return tally.failed ? 1 : 0;
    }

    std::vector<std::string> files;
    for (const std::string& input : inputs) {
        if (IsFolder(input)) {
            std::vector<std::string> found = JsonFilesIn(input);
            if (found.empty())
                std::fprintf(stderr, "runner: no *.json in %s\n",
                             robot::Cp932ToUtf8(input).c_str());
            files.insert(files.end(), found.begin(), found.end());
        } else if (IsFile(input)) {
            files.push_back(input);
        } else {
            std::fprintf(stderr, "runner: no such scenario file or folder: %s\n",
                         robot::Cp932ToUtf8(input).c_str());
            return 2;
        }
    }
    if (files.empty()) {
        std::fputs("runner: no scenario files to run\n", stderr);
        return 2;
    }

    options.shotsFolderPerScenario = files.size() > 1;
    // The summary of a chained scenario's run N > 1 goes to FILE-runN.
    std::vector<std::ofstream> summaries;
    auto summarize = [&](size_t run, const std::string& text) {
        while (summaries.size() <= run) {
            std::string path = summaryPath;
            if (!summaries.empty()) {
                size_t dot = path.find_last_of(".\\");
                if (dot == std::string::npos || path[dot] != '.') dot = path.size();
                path.insert(dot, "-run" + std::to_string(summaries.size() + 1));
            }
            summaries.emplace_back(path, std::ios::binary | std::ios::trunc);
            if (!summaries.back())
                std::fprintf(stderr, "runner: cannot write the summary %s\n",
                             robot::Cp932ToUtf8(path).c_str());
        }
        summaries[run] << text << std::flush;
    };
    if (options.summary) {
        summarize(0, "");
        if (!summaries[0]) return 2;
    }
    Tally tally = RunScenarioFiles(files, options, Print,
                                   options.summary ? Summarize(summarize) : Summarize());
    sayPlays(tally);
    Print(tally.Counts() + "\n");
    return tally.failed ? 1 : 0;
}
