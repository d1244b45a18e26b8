// Files and folders of the test machine, handled the forceful way a test
// reset needs (read-only files removed, folders made as needed). Paths are
// code page 932; error messages UTF-8.
#pragma once

#include "tools/robot/text_codec.h"

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace vorn::runner {

using robot::ErrorSuffix;

// The machine could not be put into the state a scenario asks for.
struct MachineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct FileState {
    enum class Kind { Absent, File, Folder, Unreadable } kind = Kind::Absent;
    std::string bytes; // Kind::File
    DWORD error = 0;   // Kind::Unreadable
    bool readOnly = false;

    bool operator==(const FileState& other) const {
        return kind == other.kind && bytes == other.bytes;
    }
};

// `heldOpen`: a handle this process already holds on the file with no
// sharing, through which it must be read.
FileState ReadFileState(const std::string& path, HANDLE heldOpen = nullptr);
// "absent", "a folder", "12 bytes", "unreadable (error 32)".
std::string Describe(const FileState& state);

// Writes the whole file anew, with plain attributes, making its folders.
void WriteWholeFile(const std::string& path, const std::string& bytes);
// Removes the file even when it is read-only; an empty folder at that path
// goes too. Nothing there is fine.
void RemovePath(const std::string& path);
void MakeFolders(const std::string& path);
// Removes everything inside the folder, read-only files included.
void EmptyFolder(const std::string& path);
// Removes the file or the folder with everything in it; nothing there is fine.
void RemoveTree(const std::string& path);
// Removes each of the folders that is empty, the deepest first, so that a
// folder emptied by the removal of the one below it goes too.
void RemoveEmptyFolders(std::vector<std::string> folders);
void SetReadOnly(const std::string& path);
// Sets the last-write time, given as local time. `handle`: the file already
// held open by this process, or null.
void SetLastWriteLocalTime(const std::string& path, const SYSTEMTIME& localTime, HANDLE handle);

// Upper-cases the ASCII letters of a code page 932 path, leaving double-byte
// characters alone, so that paths can be compared as Windows does.
std::string FoldPath(const std::string& path);
// Adds `path` to `paths` unless they hold it already, in whatever case.
void AddPathOnce(std::vector<std::string>& paths, const std::string& path);

bool IsFolder(const std::string& path);

struct FolderEntry {
    std::string name;
    bool isFolder;
};
// What the folder holds that matches `pattern`, without "." and ".."; none
// when it does not exist.
std::vector<FolderEntry> ListFolder(const std::string& folder, const char* pattern = "*");

std::string ShownPath(const std::string& path); // UTF-8, for messages
// A text of the machine, quoted, in UTF-8, for messages.
std::string ShownText(const std::string& text);

} // namespace vorn::runner
