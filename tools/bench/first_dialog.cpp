// Measures how long programs take from their start to their first visible
// window, each started the same way, in turn, RUNS rounds.
//
//   first_dialog RUNS DIR PROGRAM...
//     prints per program "ms=<median> min=<n> max=<n> runs=<n> program=<path>"
//
// Each program is started in DIR, watched until a window of its process is
// visible, and then ended with whatever it started itself (VORN.EXE's editor).
// One start of each comes first and is not counted: it loads Wine's files.
#include "host/handles_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kGiveUpMs = 30000;

struct Search {
    DWORD processId;
    bool found;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Ends the processes `parent` started, by their ids.
void EndChildrenOf(DWORD parent) {
    const vorn::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        const vorn::ScopedHandle child(
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (child) {
            TerminateProcess(child.Get(), 0);
            WaitForSingleObject(child.Get(), 5000);
        }
    }
}

// Milliseconds from CreateProcess to the first visible window; -1 when none came.
double TimeToFirstWindow(const std::string& program, const std::string& dir) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + program + "\"";
    const double start = Now();
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &info))
        return -1;
    const vorn::ScopedProcess started(info);
    double took = -1;
    for (;;) {
        Search search{info.dwProcessId, false};
        EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
        const double now = Now();
        if (search.found) {
            took = now - start;
            break;
        }
        if (now - start > kGiveUpMs || WaitForSingleObject(info.hProcess, 1) == WAIT_OBJECT_0)
            break;
    }
    EndChildrenOf(info.dwProcessId);
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    return took;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: first_dialog RUNS DIR PROGRAM...\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::string dir = argv[2];
    const std::vector<std::string> programs(argv + 3, argv + argc);
    for (const std::string& program : programs)
        TimeToFirstWindow(program, dir);
    std::vector<std::vector<double>> times(programs.size());
    for (int round = 0; round < runs; ++round) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const double took = TimeToFirstWindow(programs[i], dir);
            if (took < 0) {
                std::fprintf(stderr, "first_dialog: no window from %s\n", programs[i].c_str());
                return 1;
            }
            times[i].push_back(took);
        }
    }
    for (std::size_t i = 0; i < programs.size(); ++i)
        std::printf("ms=%.0f min=%.0f max=%.0f runs=%d program=%s\n", Median(times[i]),
                    *std::min_element(times[i].begin(), times[i].end()),
                    *std::max_element(times[i].begin(), times[i].end()), runs, programs[i].c_str());
    return 0;
}
