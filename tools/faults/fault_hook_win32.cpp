// Implements tools/faults/fault_hook.h: the import-table hooks of the twins.
//
// The hooks sit where the program's code meets Win32, so the sweep does not
// depend on how the program is written: a write added anywhere is counted as
// soon as a run makes it. The hook's own calls go to the real functions
// through addresses asked of the system, never through the patched table, so
// they are neither counted nor faulted.
#include "tools/faults/fault_hook.h"
#include "tools/faults/hook_tables_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace vorn::faults {
namespace {

enum class Mode { Off, Count, Fail, Die, Half, Lie };

struct Settings {
    Mode mode = Mode::Off;
    long number = 0;
    std::string log;
    const PersonalityName* personality = &kPersonalities[0];
    std::string personalityLog; // where the plays go when `log` is empty
};
// Made before every other static object of the program (and the hooks
// installed right after, below), so that no start-up code runs unhooked.
Settings g_settings __attribute__((init_priority(101)));
long g_calls = 0;
// Handles opened for writing, with their paths.
std::map<HANDLE, std::string> g_written __attribute__((init_priority(101)));
// The plays logged so far: each is logged once a process.
std::set<std::string> g_plays __attribute__((init_priority(101)));

// The real functions, filled at start-up.
VORN_REAL(CreateFileA);
VORN_REAL(WriteFile);
VORN_REAL(FlushFileBuffers);
VORN_REAL(SetEndOfFile);
VORN_REAL(CloseHandle);
VORN_REAL(MoveFileA);
VORN_REAL(MoveFileExA);
VORN_REAL(CopyFileA);
VORN_REAL(DeleteFileA);
VORN_REAL(GetTempFileNameA);
VORN_REAL(CreateDirectoryA);
VORN_REAL(RemoveDirectoryA);
VORN_REAL(SetFileAttributesA);
VORN_REAL(WritePrivateProfileStringA);
VORN_REAL(WinExec);
VORN_REAL(CreateProcessA);
VORN_REAL(RegSetValueExA);
VORN_REAL(RegDeleteValueA);
VORN_REAL(RegCreateKeyExA);
VORN_REAL(RegDeleteKeyA);
VORN_REAL(CreateSemaphoreW);
VORN_REAL(GetHandleInformation);
VORN_REAL(TryEnterCriticalSection);

void AppendLine(const std::string& path, const std::string& line) {
    if (path.empty()) return;
    // Opened and closed per line: the line must be on disk even if the
    // process ends at the very next instruction.
    HANDLE log = RealCreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD done = 0;
    RealWriteFile(log, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    RealCloseHandle(log);
}

void LogLine(const std::string& line) {
    AppendLine(g_settings.log, line);
}

} // namespace

const PersonalityName& Personality() {
    return *g_settings.personality;
}

void LogPlay(const std::string& line) {
    if (!g_plays.insert(line).second) return;
    AppendLine(g_settings.log.empty() ? g_settings.personalityLog : g_settings.log, line);
}

namespace {

bool Playing() {
    return g_settings.personality->major != 0;
}

[[noreturn]] void Die() {
    TerminateProcess(GetCurrentProcess(), kDiedExitCode);
    std::abort();
}

// What happens at a counted call: Pass (make it), or Fail (do not; the hook
// returns the failure). Die ends the process here.
enum class Verdict { Pass, Fail, Half, Lie };

bool CanLie(const char* function) {
    for (const char* name : kCallsThatCanLie)
        if (std::strcmp(name, function) == 0) return true;
    return false;
}

Verdict Count(const char* function, const std::string& detail, bool isWrite = false) {
    if (g_settings.mode == Mode::Off) return Verdict::Pass;
    const long number = ++g_calls;
    LogLine(std::to_string(number) + " " + function + " " + detail);
    if (number != g_settings.number) return Verdict::Pass;
    switch (g_settings.mode) {
    case Mode::Fail:
        LogLine("fault " + std::to_string(number));
        return Verdict::Fail;
    case Mode::Die:
        LogLine("fault " + std::to_string(number));
        Die();
    case Mode::Half:
        if (!isWrite) return Verdict::Pass;
        LogLine("fault " + std::to_string(number));
        return Verdict::Half;
    case Mode::Lie:
        if (!CanLie(function)) return Verdict::Pass;
        LogLine("fault " + std::to_string(number));
        return Verdict::Lie;
    default:
        return Verdict::Pass;
    }
}

std::string Text(const char* text) {
    return text ? text : "(null)";
}

std::string PathOf(HANDLE handle) {
    auto found = g_written.find(handle);
    return found == g_written.end() ? "(handle)" : found->second;
}

bool OpensForWriting(DWORD access, DWORD disposition) {
    return (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0 ||
           disposition != OPEN_EXISTING;
}

BOOL Failed(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Windows 95, 98 and ME export these functions but do not implement them: a
// call fails at once and changes nothing.
bool PlaysStub(const char* function) {
    if (!g_settings.personality->nineX) return false;
    LogPlay(std::string("played ") + function + ": a stub on " + g_settings.personality->name);
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return true;
}

HANDLE WINAPI HookCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                              DWORD disposition, DWORD flags, HANDLE pattern) {
    const bool writing = OpensForWriting(access, disposition);
    if (writing && Count("CreateFileA", Text(name)) == Verdict::Fail) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = RealCreateFileA(name, access, share, sa, disposition, flags, pattern);
    if (writing && handle != INVALID_HANDLE_VALUE) g_written[handle] = Text(name);
    return handle;
}

BOOL WINAPI HookWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD done, LPOVERLAPPED over) {
    switch (Count("WriteFile", PathOf(file) + " " + std::to_string(size) + " bytes", true)) {
    case Verdict::Lie:
        if (done) *done = size;
        return TRUE;
    case Verdict::Fail:
        if (done) *done = 0;
        return Failed(ERROR_DISK_FULL);
    case Verdict::Half: {
        DWORD written = 0;
        RealWriteFile(file, data, size / 2, &written, over);
        Die();
    }
    default:
        return RealWriteFile(file, data, size, done, over);
    }
}

BOOL WINAPI HookFlushFileBuffers(HANDLE file) {
    const Verdict verdict = Count("FlushFileBuffers", PathOf(file));
    if (verdict == Verdict::Lie) return TRUE;
    if (verdict == Verdict::Fail) return Failed(ERROR_IO_DEVICE);
    return RealFlushFileBuffers(file);
}

BOOL WINAPI HookSetEndOfFile(HANDLE file) {
    const Verdict verdict = Count("SetEndOfFile", PathOf(file));
    if (verdict == Verdict::Lie) return TRUE;
    if (verdict == Verdict::Fail) return Failed(ERROR_DISK_FULL);
    return RealSetEndOfFile(file);
}

// Only the closing of a file opened for writing counts: that is when a
// system may still report a write it had deferred.
BOOL WINAPI HookCloseHandle(HANDLE handle) {
    auto found = g_written.find(handle);
    if (found == g_written.end()) return RealCloseHandle(handle);
    const std::string path = found->second;
    g_written.erase(found);
    const Verdict verdict = Count("CloseHandle", path);
    // A failed close still gives the handle up, as Windows does.
    const BOOL closed = RealCloseHandle(handle);
    return verdict == Verdict::Fail ? Failed(ERROR_IO_DEVICE) : closed;
}

BOOL WINAPI HookMoveFileA(LPCSTR from, LPCSTR to) {
    const Verdict verdict = Count("MoveFileA", Text(from) + " -> " + Text(to));
    if (verdict == Verdict::Lie) return TRUE;
    if (verdict == Verdict::Fail) return Failed(ERROR_ACCESS_DENIED);
    return RealMoveFileA(from, to);
}

BOOL WINAPI HookMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    if (PlaysStub("MoveFileExA")) return FALSE;
    const Verdict verdict = Count("MoveFileExA", Text(from) + " -> " + Text(to));
    if (verdict == Verdict::Lie) return TRUE;
    if (verdict == Verdict::Fail) return Failed(ERROR_ACCESS_DENIED);
    return RealMoveFileExA(from, to, flags);
}

BOOL WINAPI HookCopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    const Verdict verdict = Count("CopyFileA", Text(from) + " -> " + Text(to));
    if (verdict == Verdict::Lie) return TRUE;
    if (verdict == Verdict::Fail) return Failed(ERROR_ACCESS_DENIED);
    return RealCopyFileA(from, to, failIfExists);
}

BOOL WINAPI HookDeleteFileA(LPCSTR name) {
    const Verdict verdict = Count("DeleteFileA", Text(name));
    if (verdict == Verdict::Lie) return TRUE;
    if (verdict == Verdict::Fail) return Failed(ERROR_ACCESS_DENIED);
    return RealDeleteFileA(name);
}

// With a number of 0 it creates the file it names.
UINT WINAPI HookGetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name) {
    if (unique == 0 && Count("GetTempFileNameA", Text(folder)) == Verdict::Fail) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return RealGetTempFileNameA(folder, prefix, unique, name);
}

BOOL WINAPI HookCreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES sa) {
    if (Count("CreateDirectoryA", Text(name)) == Verdict::Fail) return Failed(ERROR_ACCESS_DENIED);
    return RealCreateDirectoryA(name, sa);
}

BOOL WINAPI HookRemoveDirectoryA(LPCSTR name) {
    if (Count("RemoveDirectoryA", Text(name)) == Verdict::Fail) return Failed(ERROR_ACCESS_DENIED);
    return RealRemoveDirectoryA(name);
}

BOOL WINAPI HookSetFileAttributesA(LPCSTR name, DWORD attributes) {
    if (Count("SetFileAttributesA", Text(name)) == Verdict::Fail)
        return Failed(ERROR_ACCESS_DENIED);
    return RealSetFileAttributesA(name, attributes);
}

BOOL WINAPI HookWritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    const Verdict verdict =
        Count("WritePrivateProfileStringA",
              Text(file) + " [" + Text(section) + "] " + Text(key) + "=" + Text(value));
    if (verdict == Verdict::Lie) return TRUE;
    if (verdict == Verdict::Fail) return Failed(ERROR_ACCESS_DENIED);
    return RealWritePrivateProfileStringA(section, key, value, file);
}

UINT WINAPI HookWinExec(LPCSTR commandLine, UINT show) {
    if (Count("WinExec", Text(commandLine)) == Verdict::Fail) return ERROR_FILE_NOT_FOUND;
    return RealWinExec(commandLine, show);
}

BOOL WINAPI HookCreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES pa,
                               LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                               LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION info) {
    if (Count("CreateProcessA", Text(application) + " " + Text(commandLine)) == Verdict::Fail)
        return Failed(ERROR_FILE_NOT_FOUND);
    return RealCreateProcessA(application, commandLine, pa, ta, inherit, flags, env, folder,
                              startup, info);
}

LONG WINAPI HookRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                               DWORD size) {
    const Verdict verdict = Count("RegSetValueExA", Text(name));
    if (verdict == Verdict::Lie) return ERROR_SUCCESS;
    if (verdict == Verdict::Fail) return ERROR_ACCESS_DENIED;
    return RealRegSetValueExA(key, name, reserved, type, data, size);
}

LONG WINAPI HookRegDeleteValueA(HKEY key, LPCSTR name) {
    const Verdict verdict = Count("RegDeleteValueA", Text(name));
    if (verdict == Verdict::Lie) return ERROR_SUCCESS;
    if (verdict == Verdict::Fail) return ERROR_ACCESS_DENIED;
    return RealRegDeleteValueA(key, name);
}

LONG WINAPI HookRegCreateKeyExA(HKEY key, LPCSTR subkey, DWORD reserved, LPSTR cls, DWORD options,
                                REGSAM sam, LPSECURITY_ATTRIBUTES sa, PHKEY result,
                                LPDWORD disposition) {
    if (Count("RegCreateKeyExA", Text(subkey)) == Verdict::Fail) return ERROR_ACCESS_DENIED;
    return RealRegCreateKeyExA(key, subkey, reserved, cls, options, sam, sa, result, disposition);
}

LONG WINAPI HookRegDeleteKeyA(HKEY key, LPCSTR subkey) {
    if (Count("RegDeleteKeyA", Text(subkey)) == Verdict::Fail) return ERROR_ACCESS_DENIED;
    return RealRegDeleteKeyA(key, subkey);
}

// The C++ runtime's mutexes make their semaphore when they are made, and
// wait on it only when another thread holds the mutex.
HANDLE WINAPI HookCreateSemaphoreW(LPSECURITY_ATTRIBUTES sa, LONG initial, LONG most,
                                   LPCWSTR name) {
    if (PlaysStub("CreateSemaphoreW")) return nullptr;
    return RealCreateSemaphoreW(sa, initial, most, name);
}

// Imported by the posix threads runtime that the twins link (the shipped
// programs link the win32 one, which needs neither).
BOOL WINAPI HookGetHandleInformation(HANDLE handle, LPDWORD flags) {
    if (PlaysStub("GetHandleInformation")) return FALSE;
    return RealGetHandleInformation(handle, flags);
}

// 98 exports it, but it never enters.
BOOL WINAPI HookTryEnterCriticalSection(LPCRITICAL_SECTION section) {
    if (PlaysStub("TryEnterCriticalSection")) return FALSE;
    return RealTryEnterCriticalSection(section);
}

const Hook kHooks[] = {
    VORN_HOOK("kernel32.dll", CreateFileA),
    VORN_HOOK("kernel32.dll", WriteFile),
    VORN_HOOK("kernel32.dll", FlushFileBuffers),
    VORN_HOOK("kernel32.dll", SetEndOfFile),
    VORN_HOOK("kernel32.dll", CloseHandle),
    VORN_HOOK("kernel32.dll", MoveFileA),
    VORN_HOOK("kernel32.dll", MoveFileExA),
    VORN_HOOK("kernel32.dll", CopyFileA),
    VORN_HOOK("kernel32.dll", DeleteFileA),
    VORN_HOOK("kernel32.dll", GetTempFileNameA),
    VORN_HOOK("kernel32.dll", CreateDirectoryA),
    VORN_HOOK("kernel32.dll", RemoveDirectoryA),
    VORN_HOOK("kernel32.dll", SetFileAttributesA),
    VORN_HOOK("kernel32.dll", WritePrivateProfileStringA),
    VORN_HOOK("kernel32.dll", WinExec),
    VORN_HOOK("kernel32.dll", CreateProcessA),
    VORN_HOOK("advapi32.dll", RegSetValueExA),
    VORN_HOOK("advapi32.dll", RegDeleteValueA),
    VORN_HOOK("advapi32.dll", RegCreateKeyExA),
    VORN_HOOK("advapi32.dll", RegDeleteKeyA),
    VORN_HOOK("kernel32.dll", CreateSemaphoreW),
    VORN_HOOK("kernel32.dll", GetHandleInformation),
    VORN_HOOK("kernel32.dll", TryEnterCriticalSection),
};

// Functions by which a program can change the machine. One the program
// imports without a hook above is reported, and the sweep fails on it.
const char* const kMachineChanging[] = {
    "CreateFileA",
    "CreateFileW",
    "CreateFile2",
    "OpenFile",
    "_lcreat",
    "_lopen",
    "_lwrite",
    "_hwrite",
    "WriteFile",
    "WriteFileEx",
    "WriteFileGather",
    "FlushFileBuffers",
    "SetEndOfFile",
    "SetFileValidData",
    "SetFileInformationByHandle",
    "CloseHandle",
    "MoveFileA",
    "MoveFileW",
    "MoveFileExA",
    "MoveFileExW",
    "MoveFileWithProgressA",
    "MoveFileWithProgressW",
    "ReplaceFileA",
    "ReplaceFileW",
    "CopyFileA",
    "CopyFileW",
    "CopyFileExA",
    "CopyFileExW",
    "CopyFile2",
    "DeleteFileA",
    "DeleteFileW",
    "GetTempFileNameA",
    "GetTempFileNameW",
    "CreateDirectoryA",
    "CreateDirectoryW",
    "CreateDirectoryExA",
    "CreateDirectoryExW",
    "RemoveDirectoryA",
    "RemoveDirectoryW",
    "SetFileAttributesA",
    "SetFileAttributesW",
    "SetFileTime",
    "CreateHardLinkA",
    "CreateHardLinkW",
    "CreateSymbolicLinkA",
    "CreateSymbolicLinkW",
    "DeviceIoControl",
    "WritePrivateProfileStringA",
    "WritePrivateProfileStringW",
    "WritePrivateProfileSectionA",
    "WritePrivateProfileSectionW",
    "WritePrivateProfileStructA",
    "WritePrivateProfileStructW",
    "WriteProfileStringA",
    "WriteProfileStringW",
    "WriteProfileSectionA",
    "WriteProfileSectionW",
    "WinExec",
    "CreateProcessA",
    "CreateProcessW",
    "CreateProcessAsUserA",
    "CreateProcessAsUserW",
    "ShellExecuteA",
    "ShellExecuteW",
    "ShellExecuteExA",
    "ShellExecuteExW",
    "SHFileOperationA",
    "SHFileOperationW",
    "RegSetValueA",
    "RegSetValueW",
    "RegSetValueExA",
    "RegSetValueExW",
    "RegSetKeyValueA",
    "RegSetKeyValueW",
    "RegDeleteValueA",
    "RegDeleteValueW",
    "RegDeleteKeyA",
    "RegDeleteKeyW",
    "RegDeleteKeyExA",
    "RegDeleteKeyExW",
    "RegDeleteTreeA",
    "RegDeleteTreeW",
    "RegCreateKeyA",
    "RegCreateKeyW",
    "RegCreateKeyExA",
    "RegCreateKeyExW",
    "RegRestoreKeyA",
    "RegRestoreKeyW",
    "RegReplaceKeyA",
    "RegReplaceKeyW",
    "RegSaveKeyA",
    "RegSaveKeyW",
    "RegLoadKeyA",
    "RegLoadKeyW",
    "AddFontResourceA",
    "AddFontResourceW",
    "RemoveFontResourceA",
    "RemoveFontResourceW",
    // The C library's own ways to a file; what it writes goes through its own
    // imports, not the program's, so none of these can be hooked here.
    "fopen",
    "_wfopen",
    "freopen",
    "_fdopen",
    "_open",
    "_wopen",
    "_sopen",
    "_creat",
    "_write",
    "remove",
    "rename",
    "_unlink",
    "_mkdir",
    "_rmdir",
    "_chmod",
    "system",
    "_spawnv",
    "_spawnl",
    "_execv",
    "_execl",
};

const Hook* HookFor(const char* name) {
    for (const Hook& hook : kHooks)
        if (std::strcmp(hook.name, name) == 0) return &hook;
    for (const Hook& hook : PersonalityHooks())
        if (hook.hook && std::strcmp(hook.name, name) == 0) return &hook;
    return nullptr;
}

bool ChangesTheMachine(const char* name) {
    for (const char* changing : kMachineChanging)
        if (std::strcmp(changing, name) == 0) return true;
    return false;
}

void ReadPersonality() {
    char value[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA(kPersonalityVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value) return;
    if (const PersonalityName* personality = FindPersonality(value))
        g_settings.personality = personality;
    length = GetEnvironmentVariableA(kPersonalityLogVariable, value, sizeof value);
    if (length != 0 && length < sizeof value) g_settings.personalityLog = value;
}

// The version is Wine's to report (tools/bench/personality sets it); a twin
// that plays one Windows on a Wine that reports another says so.
void CheckReportedVersion() {
    if (!Playing()) return;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return;
    const bool nineX = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    const PersonalityName& played = *g_settings.personality;
    if (version.dwMajorVersion == played.major && version.dwMinorVersion == played.minor &&
        nineX == played.nineX)
        return;
    LogPlay(std::string("refused the version: Wine reports ") +
            std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
            (nineX ? " (9x)" : " (NT)") + ", not " + played.title + "'s " +
            std::to_string(played.major) + "." + std::to_string(played.minor) +
            ": set it with tools/bench/personality " + played.name);
}

void ReadSettings() {
    char value[1024] = {};
    const DWORD length = GetEnvironmentVariableA(kSweepVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value) return;
    char mode[16] = {};
    long number = 0;
    int used = 0;
    if (std::sscanf(value, "%15s %ld %n", mode, &number, &used) < 2 || used == 0) return;
    const std::string name = mode;
    g_settings.mode = name == "count"  ? Mode::Count
                      : name == "fail" ? Mode::Fail
                      : name == "die"  ? Mode::Die
                      : name == "half" ? Mode::Half
                      : name == "lie"  ? Mode::Lie
                                       : Mode::Off;
    g_settings.number = number;
    g_settings.log = value + used;
}

// Points every import-table slot of a hooked function at its hook.
void PatchImports() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name; ++entry) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<const char*>(
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            const Hook* hook = HookFor(name);
            if (!hook || !*hook->real) {
                if (ChangesTheMachine(name)) LogLine(std::string("uncovered ") + name);
                continue;
            }
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<decltype(slots->u1.Function)>(hook->hook);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
        }
    }
}

struct Installer {
    Installer();
};
Installer g_installer __attribute__((init_priority(101)));

Installer::Installer() {
    const auto findReal = [](const Hook& hook) {
        *hook.real =
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(hook.module), hook.name));
    };
    for (const Hook& hook : kHooks)
        findReal(hook);
    for (const Hook& hook : PersonalityHooks())
        findReal(hook);
    ReadSettings();
    ReadPersonality();
    if (g_settings.mode == Mode::Off && !Playing()) return;
    if (g_settings.mode != Mode::Off) LogLine("start");
    CheckReportedVersion();
    PatchImports();
}

} // namespace
} // namespace vorn::faults
