// Implements tools/runner/leftovers.h.
#include "tools/runner/leftovers.h"

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
        if (folder.size() > 3 && !IsBelow(folder, layout.windowsDir) &&
            !IsBelow(folder, layout.programDir) && !IsBelow(folder, layout.benchDir))
            AddPathOnce(folders, folder);
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

// The folded names of a folder's files and folders; none when it does not exist.
std::set<std::string> FoldedNames(const std::string& folder) {
    std::set<std::string> names;
    for (const FolderEntry& entry : ListFolder(folder))
        names.insert(FoldPath(entry.name));
    return names;
}

} // namespace

LeftoverWatch::LeftoverWatch(const Scenario& scenario, const MachineLayout& layout)
    : layout_(layout) {
    for (const std::string& folder : FoldersToWatch(scenario, layout))
        folders_.push_back({folder, IsFolder(folder), FoldedNames(folder)});
}

void LeftoverWatch::Record() const {
    std::string list;
    for (const Folder& folder : folders_) {
        if (!folder.existed && IsFolder(folder.path)) list += "D " + folder.path + "\n";
        for (const FolderEntry& entry : ListFolder(folder.path))
            if (!folder.entries.count(FoldPath(entry.name)))
                list += (entry.isFolder ? "D " : "F ") + folder.path + "\\" + entry.name + "\n";
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
    RemoveEmptyFolders(folders); // a folder that still holds something stays
    RemovePath(ListFile(layout));
}

} // namespace vorn::runner
