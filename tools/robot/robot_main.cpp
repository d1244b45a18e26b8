// robot.exe: starts a program, reports and answers each dialog it shows.
//
//   robot.exe [--cwd DIR] [--shot FILE.bmp] [--do ACTION]... -- PROGRAM ARGS...
//
// For each dialog: a report on stdout (UTF-8), a screenshot FILE<N>.bmp when
// asked, then the next --do answer. A dialog that an answer leaves open is
// reported again. At the end the program's exit code is printed and returned;
// 125 when the robot had to stop the program or could not run it.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

using namespace vorn::robot;

namespace {

constexpr DWORD kDialogTimeoutMs = 15000;
constexpr DWORD kCloseTimeoutMs = 2000;
constexpr int kRobotFailed = 125;

int Usage() {
    std::fputs("usage: robot.exe [--cwd DIR] [--shot FILE.bmp] [--do ACTION]... -- PROGRAM "
               "ARGS...\n",
               stderr);
    return 2;
}

std::string QuotedArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    for (char c : argument)
        quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
    return quoted + "\"";
}

// shot.bmp → shot3.bmp for the third dialog.
std::string NumberedPath(const std::string& path, int number) {
    size_t dot = path.rfind('.');
    size_t slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + std::to_string(number);
    return path.substr(0, dot) + std::to_string(number) + path.substr(dot);
}

void Say(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::string currentDir, shot;
    std::vector<Action> actions;
    int i = 1;
    for (; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc) return Usage();
        if (option == "--cwd") {
            currentDir = argv[++i];
        } else if (option == "--shot") {
            shot = argv[++i];
        } else if (option == "--do") {
            std::string problem;
            std::optional<Action> action = ParseAction(argv[++i], &problem);
            if (!action) {
                std::fprintf(stderr, "robot: --do %s: %s\n", Cp932ToUtf8(argv[i]).c_str(),
                             problem.c_str());
                return 2;
            }
            actions.push_back(*action);
        } else {
            return Usage();
        }
    }
    if (i >= argc) return Usage();
    std::string commandLine;
    for (; i < argc; ++i)
        commandLine += (commandLine.empty() ? "" : " ") + QuotedArgument(argv[i]);

    try {
        Program program(commandLine, currentDir);
        size_t nextAction = 0;
        for (int number = 1;; ++number) {
            WaitResult wait = WaitForDialog(program, kDialogTimeoutMs);
            if (wait.kind == WaitResult::Ended) break;
            if (wait.kind == WaitResult::TimedOut) {
                std::fputs("robot: no dialog and no end within 15 s; stopping the program\n",
                           stderr);
                program.Kill(kRobotFailed);
                break;
            }
            Dialog dialog = ReadDialog(wait.dialog);
            Say(FormatReport(dialog, number));
            if (!shot.empty()) {
                std::string path = NumberedPath(shot, number);
                SaveScreenshot(dialog.window, path);
                Say("screenshot: " + Quoted(Cp932ToUtf8(path)) + "\n");
            }
            if (nextAction >= actions.size()) {
                std::fprintf(stderr,
                             "robot: no --do answer left for dialog %d; stopping the "
                             "program\n",
                             number);
                program.Kill(kRobotFailed);
                break;
            }
            const Action& action = actions[nextAction++];
            Say("answer: " + Cp932ToUtf8(action.source) + "\n\n");
            Perform(program, dialog, action);
            if (!WaitUntilClosed(program, dialog.window, kCloseTimeoutMs)) Settle(program);
        }
        program.WaitForEnd(INFINITE);
        DWORD code = program.ExitCode();
        Say("exit code: " + std::to_string(code) + "\n");
        return static_cast<int>(code);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "robot: %s\n", error.what());
        return kRobotFailed;
    }
}
