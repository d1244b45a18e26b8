// Implements tools/runner/machine_keeping.h.
//
// The keeping folder holds kept.txt, a line per kept thing (fields split by
// tabs; registry names in hex, as they may hold any byte), the kept files'
// bytes in files\N, and, once all of it is written, the marker "running".
//   tree   ROOT KEY-HEX        a registry tree; its keys follow
//   key    PATH-HEX            a key of the last tree; its values follow
//   value  NAME-HEX TYPE BYTES-HEX
//   absent PATH                nothing was there
//   file   PATH READ-ONLY BLOB a file, its bytes in BLOB
//   folder PATH                a folder; its entries follow
//   in     PATH file|folder    something in the last folder, at any depth
#include "tools/runner/machine_keeping.h"

#include "tools/runner/file_access.h"
#include "tools/runner/file_content.h"
#include "tools/runner/registry_access.h"

#include "tools/robot/text_codec.h"

#include <set>

namespace vorn::runner {
namespace {

constexpr char kIndex[] = "kept.txt";
constexpr char kMarker[] = "running";

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool IsBelow(const std::string& path, const std::string& folder) {
    return FoldPath(path).rfind(FoldPath(folder) + "\\", 0) == 0;
}

struct PathEntry {
    std::string path;
    bool isFolder;
};

// Everything in `folder`, at any depth, each folder before what it holds.
void Walk(const std::string& folder, std::vector<PathEntry>& entries) {
    for (const FolderEntry& entry : ListFolder(folder)) {
        std::string path = folder + "\\" + entry.name;
        entries.push_back({path, entry.isFolder});
        if (entry.isFolder) Walk(path, entries);
    }
}

// The folder below the drive that holds `path` ("C:\ICQ" for
// "C:\ICQ\sub\file"); `path` itself when it lies at the drive's top. A
// backslash counts only outside double-byte characters ("ソ" ends in 0x5C).
std::string TopFolder(const std::string& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByteEx(932, static_cast<BYTE>(path[i])))
            ++i;
        else if (path[i] == '\\' && i > 2)
            return path.substr(0, i);
    }
    return path;
}

HKEY RootOf(const std::string& name) {
    return name == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// What Keep wrote, read back.
struct Kept {
    struct Tree {
        HKEY root;
        std::string key;
        std::vector<KeyRecord> records;
    };
    struct Item {
        enum class Kind { Absent, File, Folder } kind;
        std::string path;
        bool readOnly = false;
        std::string blob;
        std::vector<PathEntry> entries; // Kind::Folder
    };
    std::vector<Tree> trees;
    std::vector<Item> items;
};

Kept ReadKept(const std::string& index) {
    FileState state = ReadFileState(index);
    if (state.kind != FileState::Kind::File)
        throw MachineError("cannot read " + ShownPath(index) + ": it is " + Describe(state));
    Kept kept;
    auto bad = [&](const std::string& line) {
        return MachineError(ShownPath(index) + " holds a line it cannot hold: " + ShownText(line));
    };
    auto unhex = [&](const std::string& hex, const std::string& line) {
        std::optional<std::string> bytes = ParseHex(hex);
        if (!bytes) throw bad(line);
        return *bytes;
    };
    for (const std::string& line : Lines(state.bytes)) {
        std::vector<std::string> f = Fields(line);
        const std::string& kind = f[0];
        if (kind == "tree" && f.size() == 3) {
            kept.trees.push_back({RootOf(f[1]), unhex(f[2], line), {}});
        } else if (kind == "key" && f.size() == 2 && !kept.trees.empty()) {
            kept.trees.back().records.push_back({unhex(f[1], line), {}});
        } else if (kind == "value" && f.size() == 4 && !kept.trees.empty() &&
                   !kept.trees.back().records.empty()) {
            RegistryData data{static_cast<DWORD>(std::stoul(f[2])), unhex(f[3], line)};
            kept.trees.back().records.back().values.emplace_back(unhex(f[1], line), data);
        } else if (kind == "absent" && f.size() == 2) {
            kept.items.push_back({Kept::Item::Kind::Absent, f[1], false, "", {}});
        } else if (kind == "file" && f.size() == 4) {
            kept.items.push_back({Kept::Item::Kind::File, f[1], f[2] == "1", f[3], {}});
        } else if (kind == "folder" && f.size() == 2) {
            kept.items.push_back({Kept::Item::Kind::Folder, f[1], false, "", {}});
        } else if (kind == "in" && f.size() == 3 && !kept.items.empty() &&
                   kept.items.back().kind == Kept::Item::Kind::Folder) {
            kept.items.back().entries.push_back({f[1], f[2] == "folder"});
        } else {
            throw bad(line);
        }
    }
    return kept;
}

// Writes the keeping's lines and files as Keep reads the machine.
class KeepingWriter {
  public:
    explicit KeepingWriter(std::string folder) : folder_(std::move(folder)) {}

    void Tree(const KeptTree& tree) {
        index_ += std::string("tree\t") + (tree.root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU") +
                  "\t" + Hex(tree.key) + "\n";
        for (const KeyRecord& record : ReadKeyTree(tree.root, tree.key)) {
            index_ += "key\t" + Hex(record.path) + "\n";
            for (const auto& [name, data] : record.values)
                index_ += "value\t" + Hex(name) + "\t" + std::to_string(data.type) + "\t" +
                          Hex(data.bytes) + "\n";
        }
    }

    // `whole`: a folder there keeps every file's bytes too.
    void Path(const std::string& path, bool whole) {
        FileState state = ReadFileState(path);
        switch (state.kind) {
        case FileState::Kind::Absent:
            index_ += "absent\t" + path + "\n";
            return;
        case FileState::Kind::File:
            File(path, state);
            return;
        case FileState::Kind::Folder: {
            std::vector<PathEntry> entries;
            Walk(path, entries);
            index_ += "folder\t" + path + "\n";
            for (const PathEntry& entry : entries)
                index_ += "in\t" + entry.path + (entry.isFolder ? "\tfolder\n" : "\tfile\n");
            if (whole)
                for (const PathEntry& entry : entries)
                    if (!entry.isFolder) Path(entry.path, false);
            return;
        }
        default:
            throw MachineError("cannot keep " + ShownPath(path) + ": it is " + Describe(state));
        }
    }

    void Finish() {
        WriteWholeFile(folder_ + "\\" + kIndex, index_);
        WriteWholeFile(folder_ + "\\" + kMarker,
                       "A run of the kit kept the machine here and has not put it back yet.\r\n");
    }

  private:
    void File(const std::string& path, const FileState& state) {
        std::string blob = "files\\" + std::to_string(++blobs_);
        WriteWholeFile(folder_ + "\\" + blob, state.bytes);
        index_ += "file\t" + path + (state.readOnly ? "\t1\t" : "\t0\t") + blob + "\n";
    }

    std::string folder_, index_;
    int blobs_ = 0;
};

// Puts one kept item back; says what differed into `changed`.
class ItemPutBack {
  public:
    ItemPutBack(const std::string& folder, std::vector<std::string>& changed)
        : folder_(folder), changed_(changed) {}

    // Absences and folders: what the kit added goes, a kept folder's folders
    // come back.
    void Shape(const Kept::Item& item) {
        std::string shown = ShownPath(item.path);
        if (item.kind == Kept::Item::Kind::Absent) {
            if (ReadFileState(item.path).kind == FileState::Kind::Absent) return;
            RemoveTree(item.path);
            changed_.push_back(shown + " (removed)");
            return;
        }
        if (item.kind != Kept::Item::Kind::Folder) return;
        if (!IsFolder(item.path)) {
            RemoveTree(item.path);
            MakeFolders(item.path);
            changed_.push_back(shown + " (made anew)");
        }
        std::set<std::string> kept;
        for (const PathEntry& entry : item.entries)
            kept.insert(FoldPath(entry.path));
        std::vector<PathEntry> now;
        Walk(item.path, now);
        int removed = 0;
        std::string removedFolder;
        for (const PathEntry& entry : now) {
            if (!removedFolder.empty() && IsBelow(entry.path, removedFolder)) continue;
            if (kept.count(FoldPath(entry.path))) continue;
            RemoveTree(entry.path);
            ++removed;
            if (entry.isFolder) removedFolder = entry.path;
        }
        for (const PathEntry& entry : item.entries)
            if (entry.isFolder) MakeFolders(entry.path);
        if (removed)
            changed_.push_back(shown + " (" + std::to_string(removed) + " added " +
                               (removed == 1 ? "entry" : "entries") + " removed)");
    }

    void Bytes(const Kept::Item& item) {
        if (item.kind != Kept::Item::Kind::File) return;
        FileState blob = ReadFileState(folder_ + "\\" + item.blob);
        if (blob.kind != FileState::Kind::File)
            throw MachineError("cannot put " + ShownPath(item.path) + " back: its kept copy " +
                               item.blob + " is " + Describe(blob));
        FileState now = ReadFileState(item.path);
        if (now.kind == FileState::Kind::File && now.bytes == blob.bytes &&
            now.readOnly == item.readOnly)
            return;
        if (now.kind == FileState::Kind::Folder) RemoveTree(item.path);
        WriteWholeFile(item.path, blob.bytes);
        if (item.readOnly) SetReadOnly(item.path);
        changed_.push_back(ShownPath(item.path));
    }

    // A file of a kept folder whose bytes were not kept cannot come back.
    void Check(const Kept::Item& item) {
        for (const PathEntry& entry : item.entries)
            if (!entry.isFolder && ReadFileState(entry.path).kind != FileState::Kind::File)
                throw MachineError(ShownPath(entry.path) +
                                   " was there and is gone; the kit kept only its name");
    }

  private:
    const std::string& folder_;
    std::vector<std::string>& changed_;
};

} // namespace

KeepingPlan KitKeepingPlan(const MachineLayout& layout, const std::vector<Scenario>& scenarios,
                           bool nt) {
    KeepingPlan plan;
    plan.registry.push_back({HKEY_CURRENT_USER, kClientRegistryKey});
    if (nt) plan.registry.push_back({HKEY_LOCAL_MACHINE, kNtFontSubstitutesKey});
    plan.wholeFolders.push_back(layout.programDir);
    for (const std::string& path : WatchedSystemFiles(layout))
        AddPathOnce(plan.files, path);
    for (const Scenario& scenario : scenarios) {
        std::vector<std::string> paths = NamedFilePaths(scenario);
        paths.insert(paths.end(), scenario.setup.folders.begin(), scenario.setup.folders.end());
        for (const std::string& path : paths) {
            if (FoldPath(path) == FoldPath(layout.programDir) || IsBelow(path, layout.programDir))
                continue;
            if (!IsBelow(path, layout.windowsDir)) {
                std::string top = TopFolder(path);
                if (FoldPath(top) == FoldPath(path)) {
                    AddPathOnce(plan.folders, path);
                    continue;
                }
                AddPathOnce(plan.folders, top);
            }
            AddPathOnce(plan.files, path);
        }
    }
    return plan;
}

MachineKeeping::MachineKeeping(std::string folder) : folder_(std::move(folder)) {}

bool MachineKeeping::RunInProgress() const {
    return ReadFileState(folder_ + "\\" + kMarker).kind != FileState::Kind::Absent;
}

void MachineKeeping::DiscardUnfinished() const {
    if (!RunInProgress()) RemoveTree(folder_);
}

void MachineKeeping::Keep(const KeepingPlan& plan) const {
    if (RunInProgress())
        throw MachineError("a stopped run's keeping is still in " + ShownPath(folder_));
    RemoveTree(folder_);
    KeepingWriter writer(folder_);
    for (const KeptTree& tree : plan.registry)
        writer.Tree(tree);
    for (const std::string& folder : plan.wholeFolders)
        writer.Path(folder, true);
    for (const std::string& folder : plan.folders)
        writer.Path(folder, false);
    for (const std::string& file : plan.files)
        writer.Path(file, false);
    writer.Finish();
}

std::vector<std::string> MachineKeeping::PutBack() const {
    Kept kept = ReadKept(folder_ + "\\" + kIndex);
    std::vector<std::string> changed, problems;
    ItemPutBack putBack(folder_, changed);
    auto attempt = [&](auto step) {
        try {
            step();
        } catch (const MachineError& error) {
            problems.push_back(error.what());
        }
    };
    for (const Kept::Item& item : kept.items)
        attempt([&] { putBack.Shape(item); });
    for (const Kept::Item& item : kept.items)
        attempt([&] { putBack.Bytes(item); });
    for (const Kept::Item& item : kept.items)
        attempt([&] { putBack.Check(item); });
    for (const Kept::Tree& tree : kept.trees)
        attempt([&] {
            if (MakeKeyTreeHold(tree.root, tree.key, tree.records))
                changed.push_back(RootName(tree.root) + "\\" + robot::Cp932ToUtf8(tree.key));
        });
    if (!problems.empty()) {
        std::string all;
        for (const std::string& problem : problems)
            all += (all.empty() ? "" : "; ") + problem;
        throw MachineError(all);
    }
    RemovePath(folder_ + "\\" + kMarker);
    RemoveTree(folder_);
    return changed;
}

} // namespace vorn::runner
