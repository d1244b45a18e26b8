// Implements tools/tree_removal/tree_removal.h.
#include "tools/tree_removal/tree_removal.h"

#include "host/handles_win32.h"

#include <vector>

namespace vorn::tree_removal {

LONG DeleteKeyTree(HKEY parent, const std::string& name) {
    {
        ScopedKey key;
        const LONG opened = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.Put());
        if (opened == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (opened != ERROR_SUCCESS) return opened;
        // Always the first subkey: each deletion moves the others up.
        for (;;) {
            char child[1024];
            DWORD length = sizeof child;
            if (RegEnumKeyExA(key.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            const LONG deleted = DeleteKeyTree(key.Get(), std::string(child, length));
            if (deleted != ERROR_SUCCESS) return deleted;
        }
    }
    return RegDeleteKeyA(parent, name.c_str());
}

std::optional<Failure> RemoveEntry(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path.c_str())
                                                                 : DeleteFileA(path.c_str());
    if (!removed) return Failure{path, GetLastError()};
    return std::nullopt;
}

std::optional<Failure> EmptyFolder(const std::string& path) {
    std::vector<std::string> children;
    WIN32_FIND_DATAA found;
    if (ScopedFind search(FindFirstFileA((path + "\\*").c_str(), &found)); search) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") children.push_back(path + "\\" + name);
        } while (FindNextFileA(search.Get(), &found));
    }
    for (const std::string& child : children)
        if (std::optional<Failure> failure = RemoveTree(child)) return failure;
    return std::nullopt;
}

std::optional<Failure> RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        if (std::optional<Failure> failure = EmptyFolder(path)) return failure;
    return RemoveEntry(path);
}

} // namespace vorn::tree_removal
