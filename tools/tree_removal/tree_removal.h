// Removing a registry key or a folder with everything below it, the forceful
// way a test machine's reset and a test's clean-up need: read-only files and
// folders go too. Paths and names are code page 932. Nothing here throws.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vorn::tree_removal {

// Deletes the key `name` below `parent` with all its subkeys (RegDeleteTree
// is not on every target). A key that is not there counts as deleted.
// Returns ERROR_SUCCESS or the first error met; what could go is gone then.
LONG DeleteKeyTree(HKEY parent, const std::string& name);

// What stayed: the first path that could not be removed, and why.
struct Failure {
    std::string path;
    DWORD error;
};

// Removes the file, or the empty folder, at `path`, read-only or not.
// Nothing there is fine.
std::optional<Failure> RemoveEntry(const std::string& path);
// Removes everything inside the folder `path`; the folder itself stays.
std::optional<Failure> EmptyFolder(const std::string& path);
// Removes the file or the folder at `path` with everything in it.
std::optional<Failure> RemoveTree(const std::string& path);

} // namespace vorn::tree_removal
