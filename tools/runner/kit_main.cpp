// kit.exe: the driver of the test kit (`make winkit`), which run-tests.cmd
// starts on a scratch Windows machine.
//
//   kit.exe            says what a run would delete and change; changes nothing
//   kit.exe /scratch   runs every Win32 test program and every scenario
//
// The kit's folder, the one above this program's, holds package\ (the shipped
// programs and files), tests\ (the test programs; tests.txt names each with
// its arguments, {package} standing for that folder), scenarios\e2e and
// scenarios\e2e-negative. It needs nothing else: the Windows folder is the
// machine's own, and what the kit keeps stays in its state\: the machine as
// the kit found it in state\kept (machine_keeping.h), the runner's own
// keeping in state\runner. Prints the Windows it runs on, what it put back of
// a stopped run, a line per test program and scenario, what it put back
// after the last one, each suite's counts and a last line for the whole kit,
// the same into run-tests.log beside run-tests.cmd (UTF-8). A suite the
// Windows at hand cannot run is skipped, with the reason. Exit code 0 only
// when nothing failed.
#include "tools/runner/file_access.h"
#include "tools/runner/machine_keeping.h"
#include "tools/runner/machine_kind.h"
#include "tools/runner/registry_access.h"
#include "tools/runner/scenario_set.h"
#include "tools/runner/windows_version.h"

#include "host/handles_win32.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>

using namespace vorn::runner;
namespace robot = vorn::robot;

namespace {

constexpr DWORD kTestProgramTimeoutMs = 600000;

std::ofstream logFile;

void Print(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
    if (logFile.is_open()) logFile << utf8 << std::flush;
}

std::string KitFolder() {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path = self;
    for (int up = 0; up < 2; ++up)
        path.resize(path.find_last_of('\\'));
    return path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

struct Kit {
    std::string folder, package, tests, state, scenarios, negatives;
    RunOptions options;
    WindowsVersion windows;
};

std::string Joined(const std::vector<std::string>& items, const std::string& between) {
    std::string all;
    for (const std::string& item : items)
        all += (all.empty() ? "" : between) + item;
    return all;
}

// Every scenario and negative control the kit runs, fitted to the machine's
// Windows folder; a malformed control names nothing and is left out.
std::vector<Scenario> LoadAll(const Kit& kit) {
    std::vector<Scenario> scenarios;
    for (const std::string& set : {kit.scenarios, kit.negatives}) {
        for (const std::string& file : JsonFilesIn(set)) {
            try {
                scenarios.push_back(LoadScenario(file));
            } catch (const ScenarioError&) {
                continue;
            }
            AdaptToWindowsFolder(scenarios.back(), kit.options.layout.windowsDir);
        }
    }
    return scenarios;
}

// One GoogleTest program, its output kept in state\NAME.out; it passes when it
// ends with 0 having said so ("[  PASSED  ]" and no failed case).
bool RunTestProgram(const Kit& kit, const std::string& line) {
    std::vector<std::string> words;
    for (size_t start = 0; start <= line.size();) {
        size_t tab = line.find('\t', start);
        if (tab == std::string::npos) tab = line.size();
        std::string word = line.substr(start, tab - start);
        if (size_t at = word.find("{package}"); at != std::string::npos)
            word.replace(at, 9, kit.package);
        words.push_back(word);
        start = tab + 1;
    }
    std::string name = words[0].substr(0, words[0].rfind('.'));
    std::string commandLine;
    for (const std::string& word : words)
        commandLine += (commandLine.empty() ? "\"" : " \"") + word + "\"";
    std::string outPath = kit.state + "\\" + name + ".out";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    // A program the test program starts may outlive it with the inherited
    // handle (Wine's desktop process, explorer.exe, is started by the first
    // program that draws, and lingers): shared for writing, the next run
    // still writes the file anew.
    vorn::ScopedHandle out(CreateFileA(outPath.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        Print("FAILED " + name + ": cannot write " + ShownPath(outPath) + "\n");
        return false;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.Get();
    startup.hStdError = out.Get();
    PROCESS_INFORMATION started{};
    std::string program = kit.tests + "\\" + words[0];
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        kit.tests.c_str(), &startup, &started)) {
        Print("FAILED " + name + ": cannot start it" + ErrorSuffix(GetLastError()) + "\n");
        return false;
    }
    vorn::ScopedProcess child(started);
    DWORD exitCode = 0;
    bool ended = WaitForSingleObject(child.process.Get(), kTestProgramTimeoutMs) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(child.process.Get(), 125);
    WaitForSingleObject(child.process.Get(), INFINITE);
    GetExitCodeProcess(child.process.Get(), &exitCode);
    out.Reset();

    int cases = 0;
    std::vector<std::string> failed;
    bool passedLine = false;
    for (const std::string& text : Lines(ReadFileState(outPath).bytes)) {
        if (StartsWith(text, "[       OK ] ")) ++cases;
        if (StartsWith(text, "[  PASSED  ] ")) passedLine = true;
        // The failed cases, as the closing list names them (without times).
        if (StartsWith(text, "[  FAILED  ] ") && text.find(" ms)") == std::string::npos &&
            !(text.size() > 13 && text[13] >= '0' && text[13] <= '9'))
            failed.push_back(text.substr(13));
    }
    cases += static_cast<int>(failed.size());
    std::string output = " (output: state\\" + name + ".out)";
    if (ended && exitCode == 0 && passedLine && failed.empty()) {
        Print("ok " + name + " (" + std::to_string(cases) + " tests)\n");
        return true;
    }
    std::string why = !ended ? "still running after 10 minutes, stopped"
                             : "exit code " + std::to_string(exitCode);
    if (!failed.empty()) {
        why += "; " + std::to_string(failed.size()) + " of " + std::to_string(cases) +
               " tests failed:";
        for (const std::string& test : failed)
            why += " " + test;
    }
    Print("FAILED " + name + ": " + why + output + "\n");
    return false;
}

Tally RunTestPrograms(const Kit& kit) {
    Tally tally;
    FileState list = ReadFileState(kit.tests + "\\tests.txt");
    if (std::optional<std::string> why = BelowFloor(kit.windows, kTestProgramsFloor)) {
        for (const std::string& line : Lines(list.bytes))
            tally.skipped += !line.empty();
        Print("skipped the Win32 test programs: " + *why + "\n");
        return tally;
    }
    for (const std::string& line : Lines(list.bytes)) {
        if (line.empty()) continue;
        (RunTestProgram(kit, line) ? tally.passed : tally.failed) += 1;
    }
    if (list.kind != FileState::Kind::File) {
        Print("FAILED the test programs: tests\\tests.txt is " + Describe(list) + "\n");
        ++tally.failed;
    }
    return tally;
}

std::string ListedPaths(const std::vector<std::string>& paths, const std::string& note = "") {
    std::string list;
    for (const std::string& path : paths)
        list += "      " + ShownPath(path) + note + "\n";
    return list;
}

// What a run deletes and changes on this machine, and what it keeps and puts
// back: the plan of its keeping, which names each thing once.
void SayWhatItWouldDo(const Kit& kit, const KeepingPlan& plan, size_t scenarios, bool stopped) {
    const MachineLayout& layout = kit.options.layout;
    std::vector<std::string> inWindows, elsewhere, trees;
    for (const std::string& path : plan.files)
        (FoldPath(path).rfind(FoldPath(layout.windowsDir) + "\\", 0) == 0 ? inWindows : elsewhere)
            .push_back(path);
    for (const KeptTree& tree : plan.registry)
        trees.push_back("      " + RootName(tree.root) + "\\" + ShownPath(tree.key) + "\n");
    Print("run-tests: nothing was run and nothing was changed.\n"
          "Started as \"run-tests.cmd /scratch\" from an administrator's command prompt, the kit\n"
          "runs its " +
          std::to_string(scenarios) +
          " scenarios and negative controls and, on Windows XP SP3 and later, its test\n"
          "programs on this machine and, again and again:\n"
          "  - deletes the registry key HKEY_CURRENT_USER\\" +
          kClientRegistryKey +
          " and writes the scenarios' keys below it;\n"
          "  - deletes, writes and makes read-only these files of the Windows folder:\n" +
          ListedPaths(inWindows) +
          "    and rewrites win.ini's section [FontSubstitutes] wherever Windows keeps it (on NT\n"
          "    Windows in HKEY_LOCAL_MACHINE\\" +
          kNtFontSubstitutesKey +
          ");\n"
          "  - deletes and writes files in these folders (the first is emptied each time):\n" +
          ListedPaths(plan.wholeFolders) + ListedPaths(plan.folders) +
          "  - lets the test programs make and remove scratch keys below\n"
          "    HKEY_CURRENT_USER\\Software and files in the folder for temporary files.\n"
          "Before its first change it keeps, in " +
          ShownPath(kit.state) +
          "\\kept:\n"
          "  - these registry keys whole (every key; every value's name, type and bytes):\n" +
          Joined(trees, "") +
          "  - the bytes and the read-only attribute of these files, or that they are absent:\n" +
          ListedPaths(inWindows) + ListedPaths(elsewhere) +
          "  - whether these folders exist and the names of all they hold (the first with\n"
          "    every file's bytes):\n" +
          ListedPaths(plan.wholeFolders) + ListedPaths(plan.folders) +
          "After its last scenario it puts all of it back: the keys as they were, the files\n"
          "with their bytes, a folder that did not exist removed, and from one that did\n"
          "whatever the kit added; files there that the scenarios do not name it never\n"
          "touches. Times are not kept. A run that is stopped leaves " +
          ShownPath(kit.state) +
          "\\kept\\running;\n"
          "the next run puts that back before anything else" +
          (stopped ? " (one was stopped here and is put back at the next run)" : "") +
          ".\n"
          "It keeps its own state in " +
          ShownPath(kit.state) + " and its log in " + ShownPath(kit.folder) +
          "\\run-tests.log.\n"
          "Anything else a test changes is not kept: where you can, run it on a virtual\n"
          "machine with a snapshot to go back to.\n");
}

// Before the first suite: what a stopped run left goes back, then the machine
// is kept. False when the kit must not run (it said why).
bool PutBackAndKeep(const Kit& kit, const MachineKeeping& keeping, const KeepingPlan& plan) {
    if (keeping.RunInProgress()) {
        try {
            std::vector<std::string> changed = keeping.PutBack();
            Print("run-tests: a stopped run had not put the machine back; put back now: " +
                  (changed.empty() ? std::string("nothing differed") : Joined(changed, "; ")) +
                  "\n");
        } catch (const MachineError& error) {
            Print("run-tests: FAILED putting back what a stopped run left: " +
                  std::string(error.what()) + "; nothing was run (" + ShownPath(kit.state) +
                  "\\kept keeps it for the next start)\n");
            return false;
        }
    } else {
        Print("run-tests: no stopped run to put back\n");
    }
    try {
        keeping.DiscardUnfinished();
        RemoveTree(kit.options.layout.benchDir);
        keeping.Keep(plan);
    } catch (const MachineError& error) {
        Print("run-tests: FAILED keeping the machine as it is: " + std::string(error.what()) +
              "; nothing was run or changed\n");
        return false;
    }
    return true;
}

// After the last suite. False when something could not be put back (said).
bool PutBack(const Kit& kit, const MachineKeeping& keeping) {
    Print("== putting the machine back\n");
    try {
        std::vector<std::string> changed = keeping.PutBack();
        RemoveTree(kit.options.layout.benchDir);
        Print("put back as the kit found it: " +
              (changed.empty() ? std::string("nothing differed") : Joined(changed, "; ")) + "\n");
        return true;
    } catch (const MachineError& error) {
        Print("FAILED putting the machine back: " + std::string(error.what()) + " (" +
              ShownPath(kit.state) + "\\kept keeps it; the next start tries again)\n");
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Kit kit;
    kit.folder = KitFolder();
    kit.package = kit.folder + "\\package";
    kit.tests = kit.folder + "\\tests";
    kit.state = kit.folder + "\\state";
    kit.scenarios = kit.folder + "\\scenarios\\e2e";
    kit.negatives = kit.folder + "\\scenarios\\e2e-negative";
    RunOptions& options = kit.options;
    options.machineKind = ThisMachineKind();
    options.layout.windowsDir = ThisWindowsFolder();
    options.layout.vornExe = kit.package + "\\VORN.EXE";
    options.layout.distDir = kit.package;
    options.layout.benchDir = kit.state + "\\runner";
    kit.windows = ThisWindowsVersion();
    MachineKeeping keeping(kit.state + "\\kept");
    std::vector<Scenario> scenarios = LoadAll(kit);
    KeepingPlan plan =
        KitKeepingPlan(options.layout, scenarios, kit.windows.platform == VER_PLATFORM_WIN32_NT);

    bool scratch = argc == 2 && FoldPath(argv[1]) == "/SCRATCH";
    if (argc > 2 || (argc == 2 && !scratch)) {
        std::fputs("usage: run-tests.cmd [/scratch]\n", stderr);
        return 2;
    }
    if (!scratch) {
        SayWhatItWouldDo(kit, plan, scenarios.size(), keeping.RunInProgress());
        return 2;
    }
    // Putting a folder back would take the kit's own state with it.
    std::vector<std::string> changedFolders = plan.wholeFolders;
    changedFolders.insert(changedFolders.end(), plan.folders.begin(), plan.folders.end());
    for (const std::string& folder : changedFolders) {
        if (FoldPath(kit.folder) == FoldPath(folder) ||
            FoldPath(kit.folder).rfind(FoldPath(folder) + "\\", 0) == 0) {
            std::fprintf(stderr,
                         "run-tests: the kit must not lie in %s, which the scenarios change\n",
                         folder.c_str());
            return 2;
        }
    }
    try {
        MakeFolders(kit.state);
    } catch (const MachineError& error) {
        std::fprintf(stderr, "run-tests: %s\n", error.what());
        return 2;
    }
    logFile.open(kit.folder + "\\run-tests.log", std::ios::binary | std::ios::trunc);
    Print("run-tests: " + DescribeWindows(kit.windows, GetACP(), NtdllVersionIfOther(kit.windows)) +
          "; on " + options.machineKind + ", Windows folder " +
          ShownPath(options.layout.windowsDir) + "\n");
    if (!PutBackAndKeep(kit, keeping, plan)) return 2;

    const struct {
        const char* name;
        std::function<Tally()> run;
    } suites[] = {
        {"scenarios",
         [&] { return RunScenarioFiles(JsonFilesIn(kit.scenarios), options, Print, {}); }},
        {"negative controls", [&] { return CheckNegativeControls(kit.negatives, options, Print); }},
        {"Win32 test programs", [&] { return RunTestPrograms(kit); }},
    };
    Tally whole;
    std::string counts;
    for (const auto& suite : suites) {
        Print(std::string("== ") + suite.name + "\n");
        Tally tally;
        try {
            tally = suite.run();
        } catch (const std::exception& error) {
            Print(std::string("FAILED ") + suite.name + ": the kit failed: " + error.what() + "\n");
            ++tally.failed;
        }
        counts += std::string(suite.name) + ": " + tally.Counts() + "\n";
        Print(std::string(suite.name) + ": " + tally.Counts() + "\n");
        whole += tally;
    }
    bool putBack = PutBack(kit, keeping);
    Print("\n" + counts + "kit: " + whole.Counts() + (putBack ? "" : "; the machine NOT put back") +
          "\n");
    return whole.failed || !putBack ? 1 : 0;
}
