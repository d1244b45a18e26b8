// Starting the program, finding its dialogs and waiting for them.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

#include "host/handles_win32.h"

#include <algorithm>
#include <cstdio>

namespace vorn::robot {
namespace {

// The poll is paid once per dialog, and a scenario or a fault-sweep run
// answers up to fifteen: it only finds sooner what is there.
constexpr DWORD kPollMs = 10;
// Settle's pause, for robot.exe when an answered dialog stays open; what a
// dialog is waited for is told by its own thread (WaitUntilHandled).
constexpr DWORD kSettleMs = 50;
// A dialog read the same twice, the second time after its thread has handled
// everything posted to it and painted, is fully built; one that still
// changes after this many rounds is taken as it is.
constexpr int kSettleRounds = 20;

constexpr int kStartAttempts = 3;

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> enabled, disabled;
    HWND application = nullptr;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId) return TRUE;
    if (ClassName(window) == "TApplication") {
        search.application = window;
        return TRUE;
    }
    if (!IsWindowVisible(window)) return TRUE;
    (IsWindowEnabled(window) ? search.enabled : search.disabled).push_back(window);
    return TRUE;
}

WindowSearch SearchWindows(DWORD processId) {
    WindowSearch search{processId, {}, {}, nullptr};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search;
}

std::string Corners(const RECT& r) {
    return std::to_string(r.left) + ',' + std::to_string(r.top) + ',' + std::to_string(r.right) +
           ',' + std::to_string(r.bottom);
}

// What changes while a dialog is still being built or laid out.
std::string Signature(const Dialog& dialog) {
    std::string signature = dialog.caption + '\1' + dialog.text + '\1' + dialog.editText;
    for (const Control& control : dialog.controls)
        signature +=
            '\1' + control.text + ':' + Corners(control.rect) + (control.visible ? "v" : "h");
    return signature + '\1' + Corners(dialog.windowRect) + '\1' + std::to_string(dialog.focusIndex);
}

} // namespace

Program::Program(const std::string& commandLine, const std::string& currentDir) {
    for (int attempt = 1;; ++attempt) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string line = commandLine;
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info_))
            return;
        const DWORD error = GetLastError();
        // Wine fails a start with ERROR_INTERNAL_ERROR when the new process
        // ended before its loader was done (seen on the bench with both cores
        // kept busy): none of the program's code has run, so starting it again
        // changes nothing a test looks at. Windows does not fail a start so.
        if (error != ERROR_INTERNAL_ERROR || attempt == kStartAttempts)
            throw RobotError("cannot start " + Cp932ToUtf8(commandLine) + ErrorSuffix(error));
        std::fprintf(stderr, "robot: %s did not start%s; starting it again\n",
                     Cp932ToUtf8(commandLine).c_str(), ErrorSuffix(error).c_str());
    }
}

Program::~Program() {
    Kill();
    const ScopedProcess closed(info_);
}

bool Program::HasEnded() const {
    return WaitForEnd(0);
}

bool Program::WaitForEnd(DWORD milliseconds) const {
    return WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void Program::Kill(UINT exitCode) {
    if (HasEnded()) return;
    TerminateProcess(info_.hProcess, exitCode);
    WaitForEnd(5000);
}

std::vector<HWND> Program::DialogWindows() const {
    WindowSearch search = SearchWindows(info_.dwProcessId);
    search.enabled.insert(search.enabled.end(), search.disabled.begin(), search.disabled.end());
    return search.enabled;
}

HWND Program::ApplicationWindow() const {
    return SearchWindows(info_.dwProcessId).application;
}

void Settle(const Program& program) {
    WaitForInputIdle(program.ProcessHandle(), 2000);
    Sleep(kSettleMs);
}

WaitResult WaitForDialog(const Program& program, DWORD timeoutMs,
                         const std::function<void()>& onPoll) {
    DWORD start = GetTickCount();
    for (;;) {
        if (onPoll) onPoll();
        std::vector<HWND> windows = program.DialogWindows();
        if (!windows.empty()) {
            HWND dialog = windows.front();
            std::string before = Signature(ReadDialog(dialog));
            for (int round = 0; round < kSettleRounds; ++round) {
                WaitForInputIdle(program.ProcessHandle(), 2000);
                WaitUntilHandled(program, dialog);
                if (!IsWindow(dialog) || !IsWindowVisible(dialog)) break;
                std::string now = Signature(ReadDialog(dialog));
                if (now == before) return {WaitResult::DialogShown, dialog};
                before = now;
            }
            if (IsWindow(dialog) && IsWindowVisible(dialog))
                return {WaitResult::DialogShown, dialog};
            continue; // it went away while settling; look again
        }
        if (program.HasEnded()) {
            if (onPoll) onPoll();
            return {WaitResult::Ended, nullptr};
        }
        if (GetTickCount() - start >= timeoutMs) return {WaitResult::TimedOut, nullptr};
        Sleep(kPollMs);
    }
}

bool WaitUntilClosed(const Program& program, HWND dialog, DWORD timeoutMs,
                     const std::function<void()>& onPoll) {
    DWORD start = GetTickCount();
    for (;;) {
        if (onPoll) onPoll();
        if (!IsWindow(dialog) || !IsWindowVisible(dialog) || program.HasEnded()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

} // namespace vorn::robot
