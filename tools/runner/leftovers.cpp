// Implements tools/runner/leftovers.h.
#include "tools/runner/leftovers.h"

#include "host/handles_win32.h"

#include <algorithm>
#include <cstdio>

namespace vorn::runner {
namespace {

std::string ListFile(const MachineLayout& layout) {
    return layout.benchDir + "\\leftovers.txt";
}

bool IsBelow(const std::string& path, const std::string& folder) {
    std::string p = FoldPath(path), f = FoldPath(folder);
    return p == f || p.rfind(f + "\\", 0) == 0;
}

// The folders that hold each named path, up to the drive; the system's own
// folders and the runner's are left to the fixed reset steps.
std::vector<std::string> FoldersToWatch(const Scenario& scenario, const MachineLayout& layout) {
    std::vector<std::string> paths = NamedFilePaths(scenario);
    std::vector<std::string> folders;
    auto add = [&](const std::string& folder) {
        if (folder.size() <= 3 || IsBelow(folder, layout.windowsDir) ||
            IsBelow(folder, layout.programDir) || IsBelow(folder, layout.benchDir))
            return;
        for (const std::string& known : folders)
            if (FoldPath(known) == FoldPath(folder)) return;
        folders.push_back(folder);
    };
    for (const std::string& folder : scenario.setup.folders)
        add(folder);
    for (const std::string& path : paths) {
        std::string folder = path;
        for (size_t cut; (cut = folder.find_last_of('\\')) != std::string::npos && cut > 2;) {
            folder.resize(cut);
            add(folder);
        }
    }
    return folders;
}

// Entries of a folder, files and folders alike; empty when it does not exist.
std::set<std::string> Entries(const std::string& folder, std::vector<std::string>* names,
                              std::vector<bool>* isFolder) {
    std::set<std::string> entries;
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search) return entries;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        entries.insert(FoldPath(name));
        if (names) names->push_back(name);
        if (isFolder) isFolder->push_back(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    } while (FindNextFileA(search.Get(), &found));
    return entries;
}

bool Exists(const std::string& folder) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

LeftoverWatch::LeftoverWatch(const Scenario& scenario, const MachineLayout& layout)
    : layout_(layout) {
    for (const std::string& folder : FoldersToWatch(scenario, layout))
        folders_.push_back({folder, Exists(folder), Entries(folder, nullptr, nullptr)});
}

void LeftoverWatch::Record() const {
    std::string list;
    for (const Folder& folder : folders_) {
        if (!folder.existed && Exists(folder.path)) list += "D " + folder.path + "\n";
        std::vector<std::string> names;
        std::vector<bool> isFolder;
        Entries(folder.path, &names, &isFolder);
        for (size_t i = 0; i < names.size(); ++i)
            if (!folder.entries.count(FoldPath(names[i])))
                list += (isFolder[i] ? "D " : "F ") + folder.path + "\\" + names[i] + "\n";
    }
    if (list.empty()) return;
    FileState earlier = ReadFileState(ListFile(layout_));
    try {
        WriteWholeFile(ListFile(layout_),
                       (earlier.kind == FileState::Kind::File ? earlier.bytes : "") + list);
    } catch (const MachineError& error) {
        // Only later scenarios can suffer from this; this one goes on.
        std::fprintf(stderr, "runner: cannot keep the list of leftovers: %s\n", error.what());
    }
}

void RemoveLeftovers(const MachineLayout& layout) {
    FileState list = ReadFileState(ListFile(layout));
    if (list.kind != FileState::Kind::File) return;
    std::vector<std::string> folders;
    for (size_t start = 0; start < list.bytes.size();) {
        size_t end = list.bytes.find('\n', start);
        if (end == std::string::npos) end = list.bytes.size();
        std::string line = list.bytes.substr(start, end - start);
        start = end + 1;
        if (line.size() < 3) continue;
        if (line[0] == 'F')
            RemovePath(line.substr(2));
        else
            folders.push_back(line.substr(2));
    }
    // Deepest first; a folder that still holds something stays.
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : folders)
        RemoveDirectoryA(folder.c_str());
    RemovePath(ListFile(layout));
}

} // namespace vorn::runner
