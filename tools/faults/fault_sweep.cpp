// fault_sweep.exe: every call by which VORN.EXE or UNVORN.EXE changes the
// machine, made to fail and, in a second pass, the process ended there; after
// each, the client's program file must come back whole.
//
//   fault_sweep.exe --twins DIR --shipped DIR --dist DIR --log FILE
//                   [--vorn-machine SCENARIO] [--unvorn-machine SCENARIO]
//                   [--stop-at-first yes]
//
// --twins holds the twins (VORN.EXE and UNVORN.EXE with the fault hook,
// tools/faults/fault_hook.h), --shipped the real programs, --dist the
// distributed files. Each machine is a scenario file whose `setup` the sweep
// lays out: for VORN.EXE a machine before the run (its client's file must
// come back to its bytes from before the run, once the shipped UNVORN.EXE has
// run to its end), for UNVORN.EXE a machine a run has patched (its client's
// file must come back to the backup's bytes, once a second, shipped
// UNVORN.EXE has run). The client's file is the machine's first setup file.
//
// Every dialog is answered as a person doing the typical run would (Yes where
// it asks, else OK; the input box's default), and recorded in the log. A call
// made to fail must show: an error report, or a dialog the run without faults
// does not show; only the calls passed over by design (kPassedOver) are
// exempt. The undo is also swept with each call that can report success
// without effect doing so (fault_hook.h); after every interrupted undo its
// client's file holds its bytes from before or the backup's (unless a call
// lied), and the backup is gone only when the file holds it. --stop-at-first ends the sweep at the
// first finding (the mutants need no more).
//
// With VORN_PERSONALITY set in its environment (fault_hook.h), the twins play
// that Windows, and so does the UNVORN.EXE that runs after each interrupted
// run: the twin, with no fault. On Windows 95, 98 and ME the undo's
// replacement moves the client's file to the aside name before it renames
// the new file into its place (host/file_replace.h); a stop between the two
// renames may leave the client's file under the aside name only, a state the
// next undo must recognise and finish. That next undo must leave no aside
// file behind.
//
// Prints the calls of each program, how many were swept in each mode, the
// losses and other findings, and last "N passed, N failed". Exit code 0 when
// all passed, 1 when something was found, 2 when the sweep could not do its
// work.
#include "tools/faults/fault_hook.h"

#include "app/client_paths.h"
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"
#include "tools/runner/editor_watch.h"
#include "tools/runner/machine.h"
#include "tools/runner/scenario.h"
#include "tools/tree_removal/tree_removal.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

using namespace vorn::runner;
namespace robot = vorn::robot;
namespace faults = vorn::faults;

namespace {

constexpr DWORD kDialogTimeoutMs = 15000;
constexpr int kMostDialogs = 60; // a run that shows more is stuck in a loop
constexpr char kErrorReportCaption[] = "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ";
constexpr char kYes[] = "はい";

// Calls whose failure the programs pass over by design, and why nothing is
// lost then. `pathEnd` ("" for any) is matched against the end of the call's
// first detail word.
struct PassedOver {
    const char* program; // "" for both
    const char* function;
    const char* pathEnd;
    const char* why;
};
const PassedOver kPassedOver[] = {
    {"VORN.EXE", "DeleteFileA", "\\ttfCache",
     "the font cache: the system rebuilds it; a stale one only keeps the old fonts shown"},
    {"VORN.EXE", "WinExec", "", "the editor's start: only the read-me is not shown"},
    {"VORN.EXE", "CreateProcessA", "", "the editor's start: only the read-me is not shown"},
    {"UNVORN.EXE", "DeleteFileA", "\\VORN.OLD",
     "the backup's deletion after the restore read back equal: a later undo finds the "
     "pair equal and deletes it"},
    {"UNVORN.EXE", "DeleteFileA", "\\VORN.NEW",
     "the deletion of the client's old file, set aside by the restore on Windows 95, 98 and "
     "ME, after the restore read back equal: the backup is then kept, and a later undo finds "
     "the pair equal and deletes both"},
    {"", "CloseHandle", "",
     "a written file's close: every byte was written before, the handle is given up "
     "either way, and the undo reads what it wrote back before it deletes anything"},
};

struct Call {
    long number = 0;
    std::string function;
    std::string detail; // code page 932
};

struct HookLog {
    std::vector<Call> calls;
    bool faulted = false;
    std::vector<std::string> uncovered;
};

struct Seen {
    std::vector<std::string> dialogs; // "caption: text", code page 932
    bool errorReport = false;
    DWORD exitCode = 0;
    std::string problem; // UTF-8; empty when the run ended by itself
};

struct Options {
    std::string twins, shipped, dist, log;
    std::string personality; // VORN_PERSONALITY; empty for today's Windows
    bool stopAtFirst = false;
    std::vector<std::pair<std::string, std::string>> machines; // program, scenario file
};

std::ofstream g_log;

void Say(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
    g_log << utf8 << std::flush;
}

std::string Utf8(const std::string& cp932) {
    return robot::Cp932ToUtf8(cp932);
}

std::string ReadWhole(const std::string& path, bool* present = nullptr) {
    std::ifstream in(path, std::ios::binary);
    if (present) *present = static_cast<bool>(in);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

HookLog ReadHookLog(const std::string& path) {
    HookLog log;
    std::istringstream lines(ReadWhole(path));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("fault ", 0) == 0) {
            log.faulted = true;
        } else if (line.rfind("uncovered ", 0) == 0) {
            log.uncovered.push_back(line.substr(10));
        } else if (!line.empty() && line[0] >= '0' && line[0] <= '9') {
            Call call;
            std::istringstream words(line);
            words >> call.number >> call.function;
            std::getline(words >> std::ws, call.detail);
            log.calls.push_back(call);
        }
    }
    return log;
}

bool CanLie(const std::string& function) {
    for (const char* name : faults::kCallsThatCanLie)
        if (function == name) return true;
    return false;
}

const PassedOver* PassedOverByDesign(const std::string& program, const Call& call) {
    const std::string path = call.detail.substr(0, call.detail.find(' '));
    for (const PassedOver& entry : kPassedOver) {
        const std::string end = entry.pathEnd;
        if ((*entry.program && program != entry.program) || call.function != entry.function)
            continue;
        if (path.size() >= end.size() &&
            path.compare(path.size() - end.size(), end.size(), end) == 0)
            return &entry;
    }
    return nullptr;
}

// The answer a person doing the typical run gives.
std::string AnswerTo(const robot::Dialog& dialog) {
    for (const std::string& button : dialog.buttons)
        if (button.rfind(kYes, 0) == 0) return button;
    for (const std::string& button : dialog.buttons)
        if (button == "OK") return button;
    return dialog.buttons.empty() ? "OK" : dialog.buttons.front();
}

// Runs `program` from the program folder, the hook set by `setting` (empty:
// none), and answers its dialogs until it ends.
Seen Drive(const MachineLayout& layout, const std::string& program, const std::string& setting) {
    Seen seen;
    SetEnvironmentVariableA(faults::kSweepVariable, setting.empty() ? nullptr : setting.c_str());
    robot::Program process("\"" + layout.programDir + "\\" + program + "\"", layout.programDir);
    SetEnvironmentVariableA(faults::kSweepVariable, nullptr);
    EditorWatch editors(process.ProcessId());
    const std::function<void()> poll = [&editors] { editors.Poll(); };
    try {
        for (int shown = 0;; ++shown) {
            if (shown == kMostDialogs) {
                seen.problem = "more than " + std::to_string(kMostDialogs) + " dialogs";
                break;
            }
            robot::WaitResult wait = robot::WaitForDialog(process, kDialogTimeoutMs, poll);
            if (wait.kind == robot::WaitResult::Ended) break;
            if (wait.kind == robot::WaitResult::TimedOut) {
                seen.problem = "neither a dialog nor the end within 15 s";
                break;
            }
            robot::Dialog dialog = robot::ReadDialog(wait.dialog);
            if (dialog.caption == kErrorReportCaption) seen.errorReport = true;
            seen.dialogs.push_back(
                dialog.caption + ": " +
                (dialog.shape == robot::DialogShape::InputBox ? dialog.prompt : dialog.text));
            std::string problem;
            std::optional<robot::Action> action =
                robot::ParseAction("press " + AnswerTo(dialog), &problem);
            if (!action) {
                seen.problem = problem;
                break;
            }
            robot::Perform(process, dialog, *action);
            robot::WaitUntilClosed(process, dialog.window, kDialogTimeoutMs, poll);
        }
    } catch (const robot::RobotError& error) {
        seen.problem = error.what();
    }
    if (!process.WaitForEnd(5000)) {
        if (seen.problem.empty()) seen.problem = "did not end";
        process.Kill();
        process.WaitForEnd(5000);
    }
    editors.Poll();
    editors.CloseAll();
    seen.exitCode = process.ExitCode();
    return seen;
}

void LogRun(const std::string& label, const Seen& seen) {
    g_log << "  " << label << ": exit code " << seen.exitCode
          << (seen.problem.empty() ? "" : " (" + seen.problem + ")") << "\n";
    for (const std::string& dialog : seen.dialogs)
        g_log << "    " << robot::Quoted(Utf8(dialog)) << "\n";
}

// "Windows 98" for the personality `win98`.
std::string WindowsNamed(const std::string& personality) {
    return personality.rfind("win", 0) == 0 ? "Windows " + personality.substr(3) : personality;
}

// " on Windows 98" for the personality `win98`; "" for today's Windows.
std::string OnWindows(const std::string& personality) {
    return personality.empty() ? "" : " on " + WindowsNamed(personality);
}

// The file a call deletes, by its name alone; "" for any other call.
std::string NameDeletedBy(const Call& call) {
    if (call.function != "DeleteFileA") return "";
    const std::string path = call.detail.substr(0, call.detail.find(' '));
    return path.substr(path.rfind('\\') + 1);
}

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const FolderEntry& entry : ListFolder(folder.substr(0, folder.size() - 1)))
        names.insert(entry.name);
    return names;
}

class Sweep {
  public:
    Sweep(const Options& options) : options_(options) {
        layout_.vornExe = options.twins + "\\VORN.EXE";
        layout_.distDir = options.dist;
    }

    // Sweeps one program over its machine; false when anything was found.
    bool SweepProgram(const std::string& program, const std::string& scenarioFile) {
        program_ = program;
        scenario_ = LoadScenario(scenarioFile);
        if (scenario_.setup.files.empty())
            throw std::runtime_error(scenarioFile + ": the setup names no client file");
        client_ = scenario_.setup.files.front().path;
        clientDir_ = client_.substr(0, client_.rfind('\\') + 1);
        hookLog_ = layout_.benchDir + "\\fault-sweep.log";

        // The run without faults: the calls to sweep and the dialogs it shows.
        Prepare();
        const Seen clean = Drive(layout_, program_, "count 0 " + hookLog_);
        LogRun(program_ + " without faults", clean);
        const HookLog counted = ReadHookLog(hookLog_);
        bool passed = true;
        for (const std::string& name : counted.uncovered) {
            Say("FAILED " + program_ + " imports " + name +
                ", which changes the machine and has "
                "no hook (tools/faults/fault_hook_win32.cpp)\n");
            passed = false;
        }
        if (counted.calls.empty() || !clean.problem.empty() || clean.exitCode != 0) {
            Say("FAILED " + program_ + " without faults: exit code " +
                std::to_string(clean.exitCode) + ", " + std::to_string(counted.calls.size()) +
                " calls" + (clean.problem.empty() ? "" : ", " + clean.problem) + "\n");
            return false;
        }
        cleanDialogs_ = std::set<std::string>(clean.dialogs.begin(), clean.dialogs.end());
        Say(program_ + ": " + std::to_string(counted.calls.size()) +
            " calls that change the machine:\n");
        for (const Call& call : counted.calls)
            Say("  " + std::to_string(call.number) + " " + call.function + " " + Utf8(call.detail) +
                "\n");

        // Only the undo deletes what may be the only good copy of the client's
        // file, so only it must hold against a write that reports success and
        // did not happen: it reads back before it deletes.
        std::vector<std::string> modes = {"fail", "die", "half"};
        if (program_ == "UNVORN.EXE") modes.push_back("lie");
        for (const std::string& mode : modes) {
            int swept = 0, losses = 0, faulty = 0, bad = 0;
            for (const Call& call : counted.calls) {
                if (mode == "half" && call.function != "WriteFile") continue;
                if (mode == "lie" && !CanLie(call.function)) continue;
                if (stopped_) break;
                ++swept;
                const Outcome outcome = SweepCall(mode, call);
                losses += outcome.lost;
                faulty += outcome.faulty;
                if (outcome.lost || outcome.faulty) {
                    ++bad;
                    stopped_ = options_.stopAtFirst;
                }
            }
            Say(program_ + " " + mode + OnWindows(options_.personality) + ": " +
                std::to_string(swept) + " calls swept, " + std::to_string(losses) + " losses, " +
                std::to_string(faulty) + " other faults\n");
            passedCount_ += swept - bad;
            failedCount_ += bad;
            if (bad) passed = false;
        }
        return passed;
    }

    int Passed() const { return passedCount_; }
    int Failed() const { return failedCount_; }

  private:
    struct Outcome {
        bool lost = false;
        bool faulty = false; // anything else found wrong
    };

    void Prepare() {
        CloseLeftoverEditors(layout_.programDir);
        // A run stopped half-way may leave files in the client's folder that
        // no scenario names.
        vorn::tree_removal::EmptyFolder(clientDir_.substr(0, clientDir_.size() - 1));
        ResetMachine(scenario_, layout_);
        FileLocks locks;
        ApplySetup(scenario_, layout_, locks);
        DeleteFileA(hookLog_.c_str());
    }

    // The bytes the client's file must hold in the end.
    std::string Original() {
        return ReadWhole(program_ == "VORN.EXE" ? client_ : clientDir_ + vorn::client::kBackupFile);
    }

    Outcome SweepCall(const std::string& mode, const Call& call) {
        Outcome outcome;
        const std::string label = program_ + " " + mode + " at call " +
                                  std::to_string(call.number) + " (" + call.function + " " +
                                  Utf8(call.detail) + ")";
        g_log << label << "\n";
        Prepare();
        const std::string original = Original();
        const std::string clientBefore = ReadWhole(client_);
        const std::string backupBefore = ReadWhole(clientDir_ + vorn::client::kBackupFile);
        const std::set<std::string> namesBefore = NamesIn(clientDir_);
        const Seen seen =
            Drive(layout_, program_, mode + " " + std::to_string(call.number) + " " + hookLog_);
        LogRun(program_, seen);
        const auto fault = [&](const std::string& what) {
            Say("FAILED " + label + ": " + what + "\n");
            outcome.faulty = true;
        };
        const HookLog log = ReadHookLog(hookLog_);
        if (!log.faulted) {
            Say("FAILED " + label + ": the run never came to that call\n");
            outcome.faulty = true;
            return outcome;
        }
        // The undo replaces the client's file whole or not at all, and deletes
        // the backup only once the file holds it.
        if (program_ == "UNVORN.EXE") {
            bool clientPresent = false, backupPresent = false, asidePresent = false;
            const std::string client = ReadWhole(client_, &clientPresent);
            const std::string backup =
                ReadWhole(clientDir_ + vorn::client::kBackupFile, &backupPresent);
            const std::string aside =
                ReadWhole(clientDir_ + vorn::client::kAsideFile, &asidePresent);
            // The restore on Windows 95, 98 and ME stopped between its two
            // renames: only a stop may leave this, and the next undo must
            // finish (checked below).
            const bool stoppedBetweenRenames = mode != "fail" && mode != "lie" && !clientPresent &&
                                               asidePresent && aside == clientBefore;
            // A write that reports success and did not happen defeats the
            // replacement; only the backup, kept, can then mend the file.
            if (mode != "lie" && !stoppedBetweenRenames &&
                (!clientPresent || (client != clientBefore && client != original)))
                fault("the client's file holds neither its bytes from before nor the backup's" +
                      std::string(clientPresent ? "" : " (absent)"));
            if (backupPresent ? backup != backupBefore : client != original)
                fault("the backup was changed or deleted while the client's file did not hold it");
        }
        if (mode == "fail") {
            if (seen.errorReport && seen.exitCode != 1)
                fault("exit code " + std::to_string(seen.exitCode) + " after the error report");
            // A deletion that fails leaves its file, by its nature.
            for (const std::string& name : NamesIn(clientDir_))
                if (!namesBefore.count(name) && name != vorn::client::kBackupFile &&
                    name != NameDeletedBy(call))
                    fault("left a file behind in the client's folder: " + Utf8(name));
            bool shown = seen.errorReport;
            for (const std::string& dialog : seen.dialogs)
                if (!cleanDialogs_.count(dialog)) shown = true;
            if (const PassedOver* byDesign = PassedOverByDesign(program_, call)) {
                g_log << "  passed over by design: " << byDesign->why << "\n";
            } else if (!shown) {
                fault("the failure was not shown (the run ended as one without faults does)");
            }
        } else if (mode != "lie" && seen.exitCode != faults::kDiedExitCode) {
            fault("the process did not die there (exit code " + std::to_string(seen.exitCode) +
                  ")");
        }

        // The undo, shipped, run to its end; the twin, with no fault, where
        // the twins play an older Windows, so that the undo plays it too.
        CopyFileA(
            ((options_.personality.empty() ? options_.shipped : options_.twins) + "\\UNVORN.EXE")
                .c_str(),
            (layout_.programDir + "\\UNVORN.EXE").c_str(), FALSE);
        // The twin counts its calls, so that the log shows the road it took.
        const bool twin = !options_.personality.empty();
        DeleteFileA(hookLog_.c_str());
        const Seen undo = Drive(layout_, "UNVORN.EXE", twin ? "count 0 " + hookLog_ : "");
        LogRun(twin ? "then UNVORN.EXE, the twin" : "then UNVORN.EXE", undo);
        if (twin)
            for (const Call& made : ReadHookLog(hookLog_).calls)
                g_log << "    " << made.number << " " << made.function << " " << Utf8(made.detail)
                      << "\n";
        bool present = false, asideLeft = false;
        const std::string after = ReadWhole(client_, &present);
        ReadWhole(clientDir_ + vorn::client::kAsideFile, &asideLeft);
        if (asideLeft) fault("after the undo the aside file is still there");
        if (!undo.problem.empty()) {
            Say("FAILED " + label + ": the undo after it: " + undo.problem + "\n");
            outcome.lost = true;
        } else if (!present || after != original) {
            Say("FAILED " + label + ": LOSS: after the undo the client's file holds " +
                (present ? std::to_string(after.size()) + " bytes other than its " +
                               std::to_string(original.size()) + " from before"
                         : std::string("nothing (absent)")) +
                "\n");
            outcome.lost = true;
        }
        return outcome;
    }

    const Options& options_;
    MachineLayout layout_;
    std::string program_, client_, clientDir_, hookLog_;
    Scenario scenario_;
    std::set<std::string> cleanDialogs_;
    bool stopped_ = false;
    int passedCount_ = 0, failedCount_ = 0;
};

// The Windows the twins play, from the environment they inherit; false on a
// name the hook does not know, which would sweep today's Windows unsaid.
bool ReadPersonality(Options& options) {
    char value[64] = {};
    const DWORD length = GetEnvironmentVariableA(faults::kPersonalityVariable, value, sizeof value);
    if (length == 0) return true;
    const std::string name(value, length < sizeof value ? length : 0);
    for (const faults::PersonalityName& known : faults::kPersonalities) {
        if (name != known.name) continue;
        if (name == faults::kPersonalities[0].name) return true; // today's
        options.personality = name;
        Say("faults: the twins, and the undo after each of their runs, play " + WindowsNamed(name) +
            " (" + faults::kPersonalityVariable + "=" + name + ")\n");
        return true;
    }
    Say(std::string("FAILED ") + faults::kPersonalityVariable + "=" + name +
        ": no such personality (tools/faults/fault_hook.h)\n");
    return false;
}

int Usage() {
    std::fputs("usage: fault_sweep.exe --twins DIR --shipped DIR --dist DIR --log FILE "
               "[--vorn-machine SCENARIO] [--unvorn-machine SCENARIO] [--stop-at-first yes]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--twins")
            options.twins = value;
        else if (name == "--shipped")
            options.shipped = value;
        else if (name == "--dist")
            options.dist = value;
        else if (name == "--log")
            options.log = value;
        else if (name == "--stop-at-first")
            options.stopAtFirst = value == "yes";
        else if (name == "--vorn-machine")
            options.machines.emplace_back("VORN.EXE", value);
        else if (name == "--unvorn-machine")
            options.machines.emplace_back("UNVORN.EXE", value);
        else
            return Usage();
    }
    if (argc % 2 == 0 || options.twins.empty() || options.shipped.empty() || options.dist.empty() ||
        options.log.empty() || options.machines.empty())
        return Usage();
    g_log.open(options.log, std::ios::binary | std::ios::trunc);
    if (!ReadPersonality(options)) return 2;

    Sweep sweep(options);
    bool passed = true, broken = false;
    for (const auto& [program, scenario] : options.machines) {
        try {
            passed = sweep.SweepProgram(program, scenario) && passed;
        } catch (const std::exception& error) {
            Say("FAILED " + program + ": the sweep itself failed: " + error.what() + "\n");
            broken = true;
        }
    }
    Say("faults" + OnWindows(options.personality) + ": " + std::to_string(sweep.Passed()) +
        " passed, " + std::to_string(sweep.Failed()) + " failed\n");
    // 2: the sweep could not do its work, which finds nothing (tools/mutants).
    return broken ? 2 : passed && sweep.Failed() == 0 ? 0 : 1;
}
