// runner.exe: runs end-to-end scenario files against VORN.EXE and the
// package's other programs, which lie beside it.
//
//   runner.exe --vorn PATH\VORN.EXE --dist DIR [--shots DIR] [--summary FILE]
//              [--interactive] SCENARIO-FILES-OR-FOLDERS...
//
// Prints "ok TITLE" or "FAILED TITLE: DIFFERENCE" per scenario and last
// "N passed, N failed" (UTF-8). Exit code 0 when all passed, 1 when any
// failed, 2 when the run could not begin (usage, missing files).
#include "tools/runner/scenario_run.h"

#include "tools/robot/text_codec.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

using namespace vorn::runner;
namespace robot = vorn::robot;

namespace {

int Usage() {
    std::fputs("usage: runner.exe --vorn PATH\\VORN.EXE --dist DIR [--shots DIR] [--summary FILE] "
               "[--interactive] SCENARIO-FILES-OR-FOLDERS...\n",
               stderr);
    return 2;
}

void Say(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder stands for its *.json files, sorted by name.
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

std::string WithoutTrailingBackslash(std::string path) {
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

// A scenario error names its file first; the report line names it already.
std::string WithoutFilePrefix(const std::string& message, const std::string& file) {
    return message.rfind(file + ": ", 0) == 0 ? message.substr(file.size() + 2) : message;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    RunOptions options;
    std::string summaryPath;
    std::vector<std::string> inputs;
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
        } else if (argument == "--interactive") {
            options.interactive = true;
        } else if (argument.rfind("--", 0) == 0) {
            return Usage();
        } else {
            inputs.push_back(WithoutTrailingBackslash(argument));
        }
    }
    if (options.layout.vornExe.empty() || options.layout.distDir.empty() || inputs.empty())
        return Usage();
    options.summary = !summaryPath.empty();

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
    std::ofstream summary;
    if (options.summary) {
        summary.open(summaryPath, std::ios::binary | std::ios::trunc);
        if (!summary) {
            std::fprintf(stderr, "runner: cannot write the summary %s\n",
                         robot::Cp932ToUtf8(summaryPath).c_str());
            return 2;
        }
    }

    int passed = 0, failed = 0;
    for (const std::string& file : files) {
        std::string shown = robot::Cp932ToUtf8(file);
        Scenario scenario;
        try {
            scenario = LoadScenario(file);
        } catch (const ScenarioError& error) {
            ++failed;
            Say("FAILED " + shown + ": " + WithoutFilePrefix(error.what(), shown) + "\n");
            continue;
        }
        ScenarioOutcome outcome;
        try {
            outcome = RunScenario(scenario, options);
        } catch (const std::exception& error) {
            outcome.difference = std::string("the runner failed: ") + error.what();
        }
        if (options.summary) summary << outcome.summary << std::flush;
        if (options.interactive) {
            Say("ran " + scenario.title + ": exit code " + std::to_string(outcome.exitCode) +
                (outcome.difference ? " (" + *outcome.difference + ")" : "") + "\n");
            (outcome.difference ? failed : passed) += 1;
        } else if (outcome.difference) {
            ++failed;
            Say("FAILED " + scenario.title + ": " + *outcome.difference + "\n");
        } else {
            ++passed;
            Say("ok " + scenario.title + "\n");
        }
    }
    Say(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed\n");
    return failed ? 1 : 0;
}
