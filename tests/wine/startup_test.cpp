// Start-up, error report and exit, watched from outside: each case starts
// startup_probe.exe with a scenario, finds the box that process shows, checks
// its caption and text byte for byte, presses OK and checks the exit code.
#include "host/error_report.h"
#include "tests/wine/testkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <vector>

namespace vorn {
namespace {

constexpr DWORD kPatienceMs = 30000;
const String kReportCaption = "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ";

String BesideThisTest(const String& name) {
    const String self = testkit::OwnProgram();
    return self.substr(0, self.size() - FileNamePart(self).size()) + name;
}

String ProbeProgram() {
    return BesideThisTest("startup_probe.exe");
}

std::vector<String> ReadLines(const String& path) {
    std::vector<String> lines;
    std::istringstream in(testkit::ReadFileBytes(path).value_or(""));
    for (String line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct CodeRange {
    std::uint32_t start = 0, end = 0;
};

CodeRange ProbeCode(const std::vector<String>& notes) {
    CodeRange range;
    if (!notes.empty())
        std::sscanf(notes.front().c_str(), "code %8X %8X", &range.start, &range.end);
    return range;
}

// What a message box of another process shows.
struct Box {
    String caption, text;
    bool owned = false;
    bool stopIcon = false;
};

String WindowText(HWND window) {
    char text[2048] = "";
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 && IsWindowVisible(child) &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        SendMessageA(child, STM_GETICON, 0, 0) != 0)
        *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

Box ReadBox(HWND box) {
    Box read;
    read.caption = WindowText(box);
    read.text = WindowText(GetDlgItem(box, 0xFFFF));
    read.owned = GetWindow(box, GW_OWNER) != nullptr;
    EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&read.stopIcon));
    return read;
}

struct WindowSearch {
    DWORD process;
    const char* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM search) {
    auto& s = *reinterpret_cast<WindowSearch*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (process == s.process && (!s.visibleOnly || IsWindowVisible(window)) &&
        (!s.className || lstrcmpA(className, s.className) == 0)) {
        s.found = window;
        return FALSE;
    }
    return TRUE;
}

// startup_probe.exe running one scenario; ended by force if a case leaves it.
class Probe {
  public:
    Probe(const String& program, const String& scenario, const String& notes) {
        String command = "\"" + program + "\" " + scenario + " \"" + notes + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &startup, &process_) != 0;
        if (started_) owned_ = ScopedProcess(process_);
    }
    ~Probe() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
    }
    bool Started() const { return started_; }

    // A visible window of the probe of that class (any when null), or null
    // once the probe has ended without one.
    HWND WaitForWindow(const char* className) const {
        for (DWORD waited = 0; waited < kPatienceMs; waited += 50) {
            WindowSearch search{process_.dwProcessId, className, true, nullptr};
            EnumWindows(&FindWindowOf, reinterpret_cast<LPARAM>(&search));
            if (search.found) return search.found;
            if (WaitForSingleObject(process_.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
        }
        return nullptr;
    }
    HWND WaitForBox() const { return WaitForWindow("#32770"); }

    // The hidden application window, null when there is none (yet).
    HWND ApplicationWindow() const {
        WindowSearch search{process_.dwProcessId, "TApplication", false, nullptr};
        EnumWindows(&FindWindowOf, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

    // The exit code, or 0xFFFFFFFF when the probe does not end in time.
    DWORD ExitCode() const {
        if (WaitForSingleObject(process_.hProcess, kPatienceMs) != WAIT_OBJECT_0) return 0xFFFFFFFF;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

  private:
    bool started_ = false;
    PROCESS_INFORMATION process_{};
    ScopedProcess owned_;
};

void PressOk(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

struct Outcome {
    bool boxShown = false;
    Box box;
    bool applicationDisabled = false; // while the box was up
    DWORD exitCode = 0;
    std::vector<String> notesAtBox; // the probe's notes while its box was up
    std::vector<String> notes;      // and once it had ended
};

// Runs the probe through one scenario: answers at most one box with OK.
Outcome RunScenario(const String& scenario, const String& program = ProbeProgram()) {
    testkit::ScratchFolder scratch;
    const String notes = scratch.File("notes.txt");
    Outcome outcome;
    {
        Probe probe(program, scenario, notes);
        EXPECT_TRUE(probe.Started()) << program;
        if (!probe.Started()) return outcome;
        if (HWND box = probe.WaitForBox()) {
            outcome.boxShown = true;
            outcome.box = ReadBox(box);
            HWND application = probe.ApplicationWindow();
            outcome.applicationDisabled = application && !IsWindowEnabled(application);
            outcome.notesAtBox = ReadLines(notes);
            PressOk(box);
        }
        outcome.exitCode = probe.ExitCode();
    }
    outcome.notes = ReadLines(notes);
    return outcome;
}

// The report's first line for `className` in `module` at some address, and
// its second line `secondLine`; the address must be 8 upper-case hex digits
// and fall inside [low, high).
void ExpectReport(int line, const Outcome& outcome, const String& className, const String& module,
                  const String& secondLine, std::uint32_t low, std::uint32_t high) {
    SCOPED_TRACE(testing::Message() << "report checked at line " << line);
    ASSERT_TRUE(outcome.boxShown);
    EXPECT_EQ(outcome.box.caption, kReportCaption);
    EXPECT_FALSE(outcome.box.owned) << "the report has no owner window";
    EXPECT_TRUE(outcome.box.stopIcon) << "the report shows the stop icon";
    EXPECT_TRUE(outcome.applicationDisabled) << "the report is task-modal";

    const String head = className + "がﾓｼﾞｭｰﾙ " + module + " の ";
    const String& text = outcome.box.text;
    ASSERT_EQ(text.substr(0, head.size()), head) << text;
    const String address = text.substr(head.size(), 8);
    ASSERT_EQ(address.find_first_not_of("0123456789ABCDEF"), String::npos) << text;
    EXPECT_EQ(text, head + address + " で発生しました。\n" + secondLine);
    const auto value = static_cast<std::uint32_t>(std::stoul(address, nullptr, 16));
    EXPECT_GE(value, low) << text;
    EXPECT_LT(value, high) << text;
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_EQ(outcome.notes, outcome.notesAtBox) << "nothing of the run executes after the report";
}

// The probe's report of an exception raised in its own code.
void ExpectOwnReport(int line, const Outcome& outcome, const String& className,
                     const String& secondLine) {
    const CodeRange code = ProbeCode(outcome.notes);
    ExpectReport(line, outcome, className, "startup_probe.exe", secondLine, code.start, code.end);
}

// The runtime-error box: `head` and 8 hex digits of an address in the
// probe's code, relative to its module.
void ExpectRuntimeErrorBox(int line, const Outcome& outcome, const String& head, int number) {
    SCOPED_TRACE(testing::Message() << "runtime-error box checked at line " << line);
    ASSERT_TRUE(outcome.boxShown);
    EXPECT_EQ(outcome.box.caption, "Error");
    EXPECT_FALSE(outcome.box.owned);
    EXPECT_FALSE(outcome.box.stopIcon) << "the runtime-error box has no icon";
    const String& text = outcome.box.text;
    ASSERT_EQ(text.size(), head.size() + 8) << text;
    EXPECT_EQ(text.substr(0, head.size()), head);
    const String address = text.substr(head.size());
    EXPECT_EQ(address.find_first_not_of("0123456789ABCDEF"), String::npos) << text;
    const CodeRange code = ProbeCode(outcome.notes);
    const auto value = static_cast<std::uint32_t>(std::stoul(address, nullptr, 16));
    EXPECT_GE(value, code.start) << "relative to the probe's module: " << text;
    EXPECT_LT(value, code.end) << text;
    EXPECT_EQ(outcome.exitCode, static_cast<DWORD>(number));
}

// The probe's notes behind its first line, the code range.
std::vector<String> NotesAfterCodeRange(const std::vector<String>& notes) {
    if (notes.empty()) return {};
    return {notes.begin() + 1, notes.end()};
}

std::vector<String> NotesAfterCodeRange(const Outcome& outcome) {
    return NotesAfterCodeRange(outcome.notes);
}

// What the probe had noted (behind the code range) when its box came up.
std::vector<String> NotesBeforeBox(const Outcome& outcome) {
    return NotesAfterCodeRange(outcome.notesAtBox);
}

TEST(StartupNormalEnd, RunThatReturnsEndsWithZeroAndNoBox) {
    const Outcome outcome = RunScenario("return");
    EXPECT_FALSE(outcome.boxShown) << outcome.box.text;
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(NotesAfterCodeRange(outcome), std::vector<String>{"run"});
}

TEST(StartupErrorReport, RaisedExceptionsAreReportedAfterTheirCleanUp) {
    const std::vector<String> cleanedUp{"clean-up"};
    {
        const Outcome outcome = RunScenario("open-error");
        ExpectOwnReport(__LINE__, outcome, "EFOpenError", "ﾌｧｲﾙ C:\\表\\ICQCore.dll は開けません.");
        EXPECT_EQ(NotesBeforeBox(outcome), cleanedUp);
    }
    {
        const Outcome outcome = RunScenario("percent");
        ExpectOwnReport(__LINE__, outcome, "Exception", "100%s%d%% 完了.");
        EXPECT_EQ(NotesBeforeBox(outcome), cleanedUp);
    }
    {
        const Outcome outcome = RunScenario("stop");
        ExpectOwnReport(__LINE__, outcome, "EReadError", "ｽﾄﾘｰﾑからの読み込みｴﾗｰ.");
    }
}

TEST(StartupErrorReport, ModuleNameIsTheProgramsFileNameBehindADoubleByteFolder) {
    testkit::ScratchFolder scratch;
    const String folder = scratch.File("表");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const String copy = scratch.File("表\\表示probe.exe");
    ASSERT_TRUE(CopyFileA(ProbeProgram().c_str(), copy.c_str(), FALSE));
    const Outcome outcome = RunScenario("open-error", copy);
    const CodeRange code = ProbeCode(outcome.notes);
    ExpectReport(__LINE__, outcome, "EFOpenError", "表示probe.exe",
                 "ﾌｧｲﾙ C:\\表\\ICQCore.dll は開けません.", code.start, code.end);
}

TEST(StartupErrorReport, ObjectsOtherThanExceptionsAreReportedWithoutMessage) {
    const CodeRange whole{0, 0x7FFFFFFF};
    {
        const Outcome outcome = RunScenario("runtime-error");
        ExpectReport(__LINE__, outcome, "std::runtime_error", "startup_probe.exe", "", whole.start,
                     whole.end);
    }
    {
        const Outcome outcome = RunScenario("int");
        ExpectReport(__LINE__, outcome, "int", "startup_probe.exe", "", whole.start, whole.end);
        EXPECT_EQ(NotesBeforeBox(outcome), std::vector<String>{"clean-up"});
    }
    {
        const Outcome outcome = RunScenario("memory");
        ExpectReport(__LINE__, outcome, "EOutOfMemory", "startup_probe.exe", "ﾒﾓﾘが足りません.",
                     whole.start, whole.end);
        EXPECT_EQ(NotesBeforeBox(outcome), std::vector<String>{"clean-up"});
    }
}

TEST(StartupFaults, ProcessorFaultsAreReportedAsTheirClasses) {
    struct Case {
        const char* scenario;
        const char* className;
        const char* message;
    };
    const Case cases[] = {
        {"access-violation", "EAccessViolation",
         "ｱﾄﾞﾚｽ 00000000 への書き込みでｱｸｾｽ違反が発生しました."},
        {"divide", "EDivByZero", "整数を 0 で除算しました."},
        {"privileged", "EPrivilege", "特権命令です."},
#if defined(__i386__) // INTO and BOUND exist in 32-bit mode only
        {"overflow", "EIntOverflow", "整数ｵｰﾊﾞｰﾌﾛｰ."},
        {"bounds", "ERangeError", "配列の範囲を超えました."},
#endif
        {"float-divide", "EZeroDivide", "浮動小数点数を 0 で除算しました."},
        {"illegal", "EExternalException", "外部例外 C000001D."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        const Outcome outcome = RunScenario(c.scenario);
        ExpectOwnReport(__LINE__, outcome, c.className, c.message);
        EXPECT_EQ(NotesBeforeBox(outcome), std::vector<String>{"clean-up"});
    }
}

TEST(StartupFaults, FaultsOutsideTheProgramsCodeAreReportedToo) {
    {
        // Executing address 0: the address lies in no module and stays 0.
        const Outcome outcome = RunScenario("call-null");
        ExpectReport(__LINE__, outcome, "EAccessViolation", "startup_probe.exe",
                     "ｱﾄﾞﾚｽ 00000000 の実行でｱｸｾｽ違反が発生しました.", 0, 1);
        EXPECT_EQ(NotesBeforeBox(outcome), std::vector<String>{"clean-up"});
    }
    {
        const Outcome outcome = RunScenario("library-fault");
        ExpectReport(__LINE__, outcome, "EAccessViolation", "msvcrt.dll",
                     "ｱﾄﾞﾚｽ 00000000 の読み込みでｱｸｾｽ違反が発生しました.", 1, 0x7FFFFFFF);
    }
    {
        // No clean-up: the stack is spent.
        const Outcome outcome = RunScenario("stack-overflow");
        ExpectOwnReport(__LINE__, outcome, "EStackOverflow", "ｽﾀｯｸｵｰﾊﾞｰﾌﾛｰ.");
        EXPECT_EQ(NotesBeforeBox(outcome), std::vector<String>{});
    }
}

TEST(StartupFailure, ComponentFailingToStartGivesRuntimeError217) {
    const Outcome outcome = RunScenario("startup-fails");
    ExpectRuntimeErrorBox(__LINE__, outcome, "Runtime error 217 at ", 217);
    EXPECT_FALSE(outcome.applicationDisabled);
    const std::vector<String> order{"start first", "start failing", "stop failing", "stop first"};
    EXPECT_EQ(NotesBeforeBox(outcome), order)
        << "finalised in reverse order before the box, the failing one included";
}

TEST(StartupFailure, FaultBeforeTheReportHookGivesTheFaultsNumber) {
    const Outcome outcome = RunScenario("startup-faults");
    ExpectRuntimeErrorBox(__LINE__, outcome, "Runtime error 216 at ", 216);
    const std::vector<String> order{"start first", "start faulting", "stop faulting", "stop first"};
    EXPECT_EQ(NotesAfterCodeRange(outcome), order);
}

// Windows searches the program's own folder first for a DLL asked for by bare
// name unless start-up narrows the search: a DLL saved there unasked (the
// runner's planted library, under a name no system DLL has) must not load,
// while the system's own still do. The load by full path shows that the
// file itself loads, so the miss by name is the search's doing.
TEST(StartupDllSearch, DllBesideTheProgramIsNotLoadedByBareName) {
    testkit::ScratchFolder scratch;
    const String probe = scratch.File("startup_probe.exe");
    ASSERT_TRUE(CopyFileA(ProbeProgram().c_str(), probe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BesideThisTest("planted_library.dll").c_str(),
                          scratch.File("vorn_beside.dll").c_str(), FALSE));
    const Outcome outcome = RunScenario("load-libraries", probe);
    EXPECT_FALSE(outcome.boxShown);
    EXPECT_EQ(outcome.exitCode, 0u);
    const std::vector<String> loads{"beside by name: not loaded", "beside by path: loaded",
                                    "system by name: loaded"};
    EXPECT_EQ(NotesAfterCodeRange(outcome), loads);
}

TEST(StartupEndSession, EndingTheSessionDuringADialogEndsWithZeroAndNothingShown) {
    testkit::ScratchFolder scratch;
    const String notes = scratch.File("notes.txt");
    Probe probe(ProbeProgram(), "end-session", notes);
    ASSERT_TRUE(probe.Started());
    HWND dialog = probe.WaitForWindow(nullptr);
    ASSERT_NE(dialog, nullptr) << "the run's dialog did not appear";
    HWND application = probe.ApplicationWindow();
    ASSERT_NE(application, nullptr);
    EXPECT_FALSE(IsWindowVisible(application));

    DWORD_PTR ignored = 0;
    // A session that goes on (wParam 0) changes nothing.
    SendMessageTimeoutA(application, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 5000, &ignored);
    EXPECT_TRUE(probe.Running());
    EXPECT_TRUE(IsWindow(dialog));

    SendMessageTimeoutA(application, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &ignored);
    EXPECT_EQ(probe.ExitCode(), 0u);
    EXPECT_EQ(NotesAfterCodeRange(ReadLines(notes)), std::vector<String>{})
        << "the process ended at once, without unwinding the run";
}

TEST(StartupEndSession, EndingTheSessionWhileTheReportIsUpEndsWithOne) {
    testkit::ScratchFolder scratch;
    Probe probe(ProbeProgram(), "open-error", scratch.File("notes.txt"));
    ASSERT_TRUE(probe.Started());
    ASSERT_NE(probe.WaitForBox(), nullptr) << "the error report did not appear";
    HWND application = probe.ApplicationWindow();
    ASSERT_NE(application, nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(application, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &ignored);
    SendMessageTimeoutA(application, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &ignored);
    EXPECT_EQ(probe.ExitCode(), 1u) << "a failed run ended by a shutdown is still a failure";
}

} // namespace
} // namespace vorn
