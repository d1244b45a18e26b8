// Implements tools/runner/file_access.h.
#include "tools/runner/file_access.h"

#include "tools/robot/text_codec.h"
#include "tools/tree_removal/tree_removal.h"

#include "host/handles_win32.h"

#include <algorithm>

namespace vorn::runner {
namespace {

bool ReadAll(HANDLE file, std::string& bytes) {
    bytes.clear();
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    char buffer[65536];
    DWORD got = 0;
    for (;;) {
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) return true;
        bytes.append(buffer, got);
    }
}

std::string Parent(const std::string& path) {
    // Backslashes only count outside double-byte characters.
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByteEx(932, static_cast<BYTE>(path[i]))) {
            ++i;
            continue;
        }
        if (path[i] == '\\') last = i;
    }
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

// A removal that left something behind fails the machine's preparation.
void ThrowIfStayed(const std::optional<tree_removal::Failure>& failure) {
    if (failure)
        throw MachineError("cannot remove " + ShownPath(failure->path) +
                           ErrorSuffix(failure->error));
}

} // namespace

std::string ShownPath(const std::string& path) {
    return robot::Cp932ToUtf8(path);
}

std::string ShownText(const std::string& text) {
    return robot::Quoted(robot::Cp932ToUtf8(text));
}

void AddPathOnce(std::vector<std::string>& paths, const std::string& path) {
    std::string folded = FoldPath(path);
    for (const std::string& known : paths)
        if (FoldPath(known) == folded) return;
    paths.push_back(path);
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FolderEntry> ListFolder(const std::string& folder, const char* pattern) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA((folder + "\\" + pattern).c_str(), &found));
    if (!search) return entries;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search.Get(), &found));
    return entries;
}

FileState ReadFileState(const std::string& path, HANDLE heldOpen) {
    FileState state;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && !heldOpen) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return state;
        state.kind = FileState::Kind::Unreadable;
        state.error = error;
        return state;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        state.kind = FileState::Kind::Folder;
        return state;
    }
    state.readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    bool read = false;
    if (heldOpen) {
        read = ReadAll(heldOpen, state.bytes);
    } else {
        ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        read = file && ReadAll(file.Get(), state.bytes);
    }
    if (!read) {
        state.kind = FileState::Kind::Unreadable;
        state.error = GetLastError();
        state.bytes.clear();
        return state;
    }
    state.kind = FileState::Kind::File;
    return state;
}

std::string Describe(const FileState& state) {
    switch (state.kind) {
    case FileState::Kind::Absent:
        return "absent";
    case FileState::Kind::Folder:
        return "a folder";
    case FileState::Kind::Unreadable:
        return "unreadable" + ErrorSuffix(state.error);
    default:
        return std::to_string(state.bytes.size()) + " bytes";
    }
}

void MakeFolders(const std::string& path) {
    if (path.size() <= 3) return; // "C:\" or "C:"
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return;
        throw MachineError("cannot make the folder " + ShownPath(path) + ": a file is there");
    }
    MakeFolders(Parent(path));
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw MachineError("cannot make the folder " + ShownPath(path) +
                           ErrorSuffix(GetLastError()));
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    MakeFolders(Parent(path));
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw MachineError("cannot create " + ShownPath(path) + ErrorSuffix(GetLastError()));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || !written)
            throw MachineError("cannot write " + ShownPath(path) + ErrorSuffix(GetLastError()));
        done += written;
    }
}

void RemovePath(const std::string& path) {
    ThrowIfStayed(tree_removal::RemoveEntry(path));
}

void EmptyFolder(const std::string& path) {
    ThrowIfStayed(tree_removal::EmptyFolder(path));
}

void RemoveTree(const std::string& path) {
    ThrowIfStayed(tree_removal::RemoveTree(path));
}

void RemoveEmptyFolders(std::vector<std::string> folders) {
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : folders)
        RemoveDirectoryA(folder.c_str());
}

void SetReadOnly(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw MachineError("cannot make " + ShownPath(path) + " read-only: it does not exist");
    if (!SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_READONLY))
        throw MachineError("cannot make " + ShownPath(path) + " read-only" +
                           ErrorSuffix(GetLastError()));
}

void SetLastWriteLocalTime(const std::string& path, const SYSTEMTIME& localTime, HANDLE handle) {
    FILETIME local, utc;
    if (!SystemTimeToFileTime(&localTime, &local) || !LocalFileTimeToFileTime(&local, &utc))
        throw MachineError("cannot convert the time for " + ShownPath(path));
    if (handle) {
        if (!SetFileTime(handle, nullptr, nullptr, &utc))
            throw MachineError("cannot set the time of " + ShownPath(path) +
                               ErrorSuffix(GetLastError()));
        return;
    }
    // A read-only file takes a new time only while writable.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw MachineError("cannot set the time of " + ShownPath(path) + ": it does not exist");
    bool readOnly = attributes & FILE_ATTRIBUTE_READONLY;
    if (readOnly) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    DWORD error = NO_ERROR;
    {
        ScopedHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file || !SetFileTime(file.Get(), nullptr, nullptr, &utc)) error = GetLastError();
    }
    if (readOnly) SetFileAttributesA(path.c_str(), attributes);
    if (error != NO_ERROR)
        throw MachineError("cannot set the time of " + ShownPath(path) + ErrorSuffix(error));
}

} // namespace vorn::runner
