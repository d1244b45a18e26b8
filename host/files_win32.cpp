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

unsigned StartProgram(const String& commandLine) {
    return WinExec(commandLine.c_str(), SW_SHOWNORMAL);
}

} // namespace vorn
