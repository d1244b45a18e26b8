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
// WinExec with SW_SHOWNORMAL; returns the platform's result, which the run ignores.
unsigned StartProgram(const String& commandLine);

} // namespace vorn
