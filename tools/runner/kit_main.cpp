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
// machine's own, and what the runner keeps (win.ini as it first was) stays in
// the kit's state\. Prints a line per test program and scenario, each suite's
// counts and a last line for the whole kit, the same into run-tests.log beside
// run-tests.cmd (UTF-8). Exit code 0 only when everything ran and passed.
#include "tools/runner/file_access.h"
#include "tools/runner/machine_kind.h"
#include "tools/runner/scenario_set.h"

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
};

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
    vorn::ScopedHandle out(CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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

// What a run deletes and changes on this machine: the fixed reset of every
// scenario, and the folders the scenarios name, each once.
void SayWhatItWouldDo(const Kit& kit) {
    const MachineLayout& layout = kit.options.layout;
    std::vector<std::string> inWindows, folders{layout.programDir};
    for (const std::string& path : WatchedSystemFiles(layout))
        AddPathOnce(inWindows, path);
    int scenarios = 0;
    for (const std::string& set : {kit.scenarios, kit.negatives}) {
        for (const std::string& file : JsonFilesIn(set)) {
            Scenario scenario;
            try {
                scenario = LoadScenario(file);
            } catch (const ScenarioError&) {
                continue; // a malformed control names nothing
            }
            ++scenarios;
            AdaptToWindowsFolder(scenario, layout.windowsDir);
            std::vector<std::string> paths = NamedFilePaths(scenario);
            paths.insert(paths.end(), scenario.setup.folders.begin(), scenario.setup.folders.end());
            for (const std::string& path : paths) {
                if (FoldPath(path).rfind(FoldPath(layout.windowsDir) + "\\", 0) == 0) {
                    AddPathOnce(inWindows, path);
                    continue;
                }
                size_t cut = path.find('\\', 3);
                AddPathOnce(folders, cut == std::string::npos ? path : path.substr(0, cut));
            }
        }
    }
    std::string list;
    for (const std::string& path : inWindows)
        list += "      " + ShownPath(path) + "\n";
    std::string folderList;
    for (const std::string& folder : folders)
        folderList += "      " + ShownPath(folder) + "\n";
    Print("run-tests: nothing was run and nothing was changed.\n"
          "Started as \"run-tests.cmd /scratch\" from an administrator's command prompt, the kit\n"
          "runs its test programs and " +
          std::to_string(scenarios) +
          " scenarios on this machine and, again and again:\n"
          "  - deletes the registry key HKEY_CURRENT_USER\\" +
          kClientRegistryKey +
          " and writes the scenarios' keys below it;\n"
          "  - deletes, writes and makes read-only these files of the Windows folder:\n" +
          list +
          "    and rewrites win.ini's section [FontSubstitutes] wherever Windows keeps it (on NT\n"
          "    Windows in HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
          "FontSubstitutes);\n"
          "    win.ini and the section are put back before each scenario as they were at the\n"
          "    kit's first run;\n"
          "  - deletes and writes files in these folders (the first is emptied each time):\n" +
          folderList +
          "  - lets the test programs make and remove scratch keys below\n"
          "    HKEY_CURRENT_USER\\Software and files in the folder for temporary files;\n"
          "  - keeps its own state in " +
          ShownPath(kit.state) + " and its log in " + ShownPath(kit.folder) +
          "\\run-tests.log.\n"
          "Run it only on a machine whose state may be lost (a scratch virtual machine).\n");
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
    options.layout.benchDir = kit.state;

    bool scratch = argc == 2 && FoldPath(argv[1]) == "/SCRATCH";
    if (argc > 2 || (argc == 2 && !scratch)) {
        std::fputs("usage: run-tests.cmd [/scratch]\n", stderr);
        return 2;
    }
    if (!scratch) {
        SayWhatItWouldDo(kit);
        return 2;
    }
    std::string programFolder = FoldPath(options.layout.programDir);
    if (FoldPath(kit.folder) == programFolder ||
        FoldPath(kit.folder).rfind(programFolder + "\\", 0) == 0) {
        std::fprintf(stderr,
                     "run-tests: the kit must not lie in %s, which every scenario empties\n",
                     options.layout.programDir.c_str());
        return 2;
    }
    try {
        MakeFolders(kit.state);
    } catch (const MachineError& error) {
        std::fprintf(stderr, "run-tests: %s\n", error.what());
        return 2;
    }
    logFile.open(kit.folder + "\\run-tests.log", std::ios::binary | std::ios::trunc);
    Print("run-tests: on " + options.machineKind + ", Windows folder " +
          ShownPath(options.layout.windowsDir) + "\n");

    const struct {
        const char* name;
        std::function<Tally()> run;
    } suites[] = {
        {"Win32 test programs", [&] { return RunTestPrograms(kit); }},
        {"scenarios",
         [&] { return RunScenarioFiles(JsonFilesIn(kit.scenarios), options, Print, {}); }},
        {"negative controls", [&] { return CheckNegativeControls(kit.negatives, options, Print); }},
    };
    Tally whole;
    std::string counts;
    for (const auto& suite : suites) {
        Print(std::string("== ") + suite.name + "\n");
        Tally tally = suite.run();
        counts += std::string(suite.name) + ": " + tally.Counts() + "\n";
        Print(std::string(suite.name) + ": " + tally.Counts() + "\n");
        whole += tally;
    }
    Print("\n" + counts + "kit: " + whole.Counts() + "\n");
    return whole.failed ? 1 : 0;
}
