// Files, folders and process launch. Implemented in files_win32.cpp.
//
// Contract: nothing here raises or shows anything; each call reports through
// its result. Paths are code page 932; relative ones resolve against the
// current folder.
#pragma once

#include "host/exceptions.h"

namespace vorn {

// True when the first entry a directory search finds for `path` is a plain
// file (not a folder) whose last-write time fits an MS-DOS date and time.
bool FileIsPresent(const String& path);
// DeleteFileA; true when the file was deleted.
bool RemoveFile(const String& path);
// CopyFileA with fail-if-exists false; true on success.
bool CopyFileOver(const String& source, const String& destination);
// GetWindowsDirectoryA into 260 bytes: the first n bytes, "" when n is 0.
String WindowsFolder();
// Starts the system's own `program` (a bare file name such as "notepad.exe")
// with the command line "program arguments", shown normally, in the current
// folder, and returns once it is ready for input (at most 10 s), never
// waiting for its end: WinExec's wait. The program is taken from the system
// folder, else from the Windows folder, by its full path: never from the
// caller's folder, the current folder or PATH, where a file of that name may
// have been saved unasked. True when it started.
bool StartSystemProgram(const String& program, const String& arguments);

} // namespace vorn
