// Implements host/files.h on kernel32.
#include "host/files.h"

#include "host/handles_win32.h"

namespace vorn {

bool FileIsPresent(const String& path) {
    WIN32_FIND_DATAA found;
    if (!ScopedFind(FindFirstFileA(path.c_str(), &found))) return false;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    // Only a time that an MS-DOS date can hold counts: 1980 to 2107, local time.
    FILETIME local = {};
    FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
    WORD date = 0;
    WORD time = 0;
    return FileTimeToDosDateTime(&local, &date, &time) != 0;
}

bool RemoveFile(const String& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool CopyFileOver(const String& source, const String& destination) {
    return CopyFileA(source.c_str(), destination.c_str(), FALSE) != 0;
}

String WindowsFolder() {
    char buffer[260];
    const UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    // A count of the buffer size or more is the size the folder would need:
    // it did not fit, and the buffer holds nothing usable.
    if (n == 0 || n >= sizeof buffer) return String();
    return String(buffer, n);
}

namespace {

// The system folder as this process sees it: a 32-bit program on 64-bit
// Windows is given System32 and lands in SysWOW64, as WinExec's search did.
String SystemFolder() {
    char buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryA(buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return String();
    return String(buffer, n);
}

bool StartFrom(const String& folder, const String& program, const String& arguments) {
    // Neither folder is a drive's root, so neither ends with a backslash.
    if (folder.empty()) return false;
    const String path = folder + "\\" + program;
    // The command line the program sees stays what WinExec handed it.
    String commandLine = program + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started))
        return false;
    ScopedHandle process(started.hProcess);
    ScopedHandle thread(started.hThread);
    constexpr DWORD kReadyWithinMs = 10000;
    WaitForInputIdle(process.Get(), kReadyWithinMs);
    return true;
}

} // namespace

bool StartSystemProgram(const String& program, const String& arguments) {
    return StartFrom(SystemFolder(), program, arguments) ||
           StartFrom(WindowsFolder(), program, arguments);
}

} // namespace vorn
