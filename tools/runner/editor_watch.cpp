// Implements tools/runner/editor_watch.h.
#include "tools/runner/editor_watch.h"

#include "tools/runner/file_access.h"

#include "tools/robot/text_codec.h"

#include <tlhelp32.h>

#include <algorithm>

namespace vorn::runner {
namespace {

constexpr DWORD kPollEveryMs = 200;

struct ProcessEntry {
    DWORD id, parent;
};

std::vector<ProcessEntry> Editors() {
    std::vector<ProcessEntry> found;
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return found;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry))
        if (lstrcmpiA(entry.szExeFile, "notepad.exe") == 0)
            found.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    return found;
}

// What another process was started with, read from its process parameters.
// The editor is as wide as the runner (the program it watches is of the same
// build), so the block's layout is that of the runner's own width: the
// parameters at 0x10 of the PEB, the command line at 0x40 and the current
// folder at 0x24 for 32 bits; 0x20, 0x70 and 0x38 for 64 bits.
constexpr bool kWide = sizeof(void*) == 8;
constexpr size_t kParametersInPeb = kWide ? 0x20 : 0x10;
constexpr size_t kCommandLineAt = kWide ? 0x70 : 0x40;
constexpr size_t kCurrentDirAt = kWide ? 0x38 : 0x24;
struct StartInfo {
    bool read = false;
    std::string commandLine, currentDir; // code page 932
};

using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

std::string ReadUnicodeString(HANDLE process, const BYTE* block, size_t offset) {
    // A UNICODE_STRING: its length, then its buffer on the next pointer boundary.
    USHORT length = 0;
    void* buffer = nullptr;
    if (!ReadProcessMemory(process, block + offset, &length, sizeof length, nullptr) ||
        !ReadProcessMemory(process, block + offset + sizeof buffer, &buffer, sizeof buffer,
                           nullptr))
        return {};
    std::wstring wide(length / 2, L'\0');
    if (!wide.empty() && !ReadProcessMemory(process, buffer, wide.data(), length, nullptr))
        return {};
    return robot::WideToCp932(wide);
}

StartInfo ReadStartInfo(DWORD processId) {
    StartInfo info;
    static auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query) return info;
    ScopedHandle owned(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!owned) return info;
    HANDLE process = owned.Get();
    struct {
        LONG exitStatus;
        BYTE* peb;
        ULONG_PTR affinity, priority, id, parent;
    } basic{};
    BYTE* parameters = nullptr;
    if (query(process, 0, &basic, sizeof basic, nullptr) == 0 && basic.peb &&
        ReadProcessMemory(process, basic.peb + kParametersInPeb, &parameters, sizeof parameters,
                          nullptr) &&
        parameters) {
        info.commandLine = ReadUnicodeString(process, parameters, kCommandLineAt);
        info.currentDir = ReadUnicodeString(process, parameters, kCurrentDirAt);
        info.read = !info.commandLine.empty();
    }
    return info;
}

void End(HANDLE process) {
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
}

HANDLE OpenToEnd(DWORD processId) {
    return OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                       processId);
}

std::string TrimmedFolder(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return FoldPath(path);
}

} // namespace

void EditorWatch::Poll() {
    DWORD now = GetTickCount();
    if (lastPoll_ && now - lastPoll_ < kPollEveryMs) return;
    lastPoll_ = now;
    for (const ProcessEntry& entry : Editors()) {
        if (entry.parent != parent_) continue;
        bool known = std::any_of(editors_.begin(), editors_.end(), [&](const Editor& editor) {
            return editor.processId == entry.id;
        });
        if (known) continue;
        ScopedHandle process(OpenToEnd(entry.id));
        if (process)
            editors_.push_back({entry.id, std::move(process), ReadStartInfo(entry.id).commandLine});
    }
}

bool EditorWatch::StartedOnReadme() const {
    return std::any_of(editors_.begin(), editors_.end(), [](const Editor& editor) {
        return editor.commandLine.empty() ||
               FoldPath(editor.commandLine).find("README.TXT") != std::string::npos;
    });
}

std::string EditorWatch::CommandLines() const {
    std::string lines;
    for (const Editor& editor : editors_)
        lines += (lines.empty() ? "" : ", ") + (editor.commandLine.empty()
                                                    ? std::string("(command line unreadable)")
                                                    : ShownText(editor.commandLine));
    return lines;
}

void EditorWatch::CloseAll() {
    for (const Editor& editor : editors_)
        End(editor.process.Get());
}

void CloseLeftoverEditors(const std::string& programDir) {
    std::string wanted = TrimmedFolder(programDir);
    for (const ProcessEntry& entry : Editors()) {
        StartInfo info = ReadStartInfo(entry.id);
        if (!info.read || TrimmedFolder(info.currentDir) != wanted) continue;
        if (ScopedHandle process(OpenToEnd(entry.id)); process) End(process.Get());
    }
}

} // namespace vorn::runner
