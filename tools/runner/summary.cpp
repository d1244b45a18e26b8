// Implements tools/runner/summary.h.
#include "tools/runner/summary.h"

#include "tools/runner/expectations.h"
#include "tools/runner/file_access.h"
#include "tools/runner/file_content.h"
#include "tools/runner/registry_access.h"

#include "tools/robot/text_codec.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace vorn::runner {
namespace {

std::string StateLine(const FileState& state) {
    std::string line = Describe(state);
    if (state.kind == FileState::Kind::File) {
        char hash[40];
        std::snprintf(hash, sizeof hash, ", FNV-1a 64 %016llx",
                      static_cast<unsigned long long>(Fnv1a64(state.bytes)));
        line += hash;
        if (state.readOnly) line += ", read-only";
    }
    return line;
}

std::vector<std::string> FontSubstitutes(const std::string& winIni) {
    if (ReadFileState(winIni).kind != FileState::Kind::File) return {"(win.ini absent)"};
    std::vector<std::string> lines;
    for (const std::string& entry : ReadIniSection(winIni, "FontSubstitutes"))
        lines.push_back(robot::Cp932ToUtf8(entry));
    if (lines.empty()) lines.push_back("(no entries)");
    return lines;
}

void Lines(std::string& out, const char* heading, const std::vector<std::string>& lines) {
    out += std::string("  ") + heading + ":\n";
    for (const std::string& line : lines)
        out += "    " + line + "\n";
}

// The lines before and after the run, then those only before (-) and only
// after (+), for a quick look at the change.
void BeforeAndAfter(std::string& out, const std::string& heading,
                    const std::vector<std::string>& before, const std::vector<std::string>& after) {
    out += "\n" + heading + ":\n";
    Lines(out, "before", before);
    Lines(out, "after", after);
    std::vector<std::string> removed, added;
    for (const std::string& line : before)
        if (std::find(after.begin(), after.end(), line) == after.end()) removed.push_back(line);
    for (const std::string& line : after)
        if (std::find(before.begin(), before.end(), line) == before.end()) added.push_back(line);
    if (removed.empty() && added.empty()) {
        out += "  changes: none\n";
        return;
    }
    out += "  changes:\n";
    for (const std::string& line : removed)
        out += "    - " + line + "\n";
    for (const std::string& line : added)
        out += "    + " + line + "\n";
}

} // namespace

MachineSnapshot TakeSnapshot(const std::vector<std::string>& paths, const MachineLayout& layout,
                             const FileLocks& locks) {
    MachineSnapshot snapshot;
    for (const std::string& path : paths)
        snapshot.files.emplace_back(path, StateLine(ReadFileState(path, locks.HandleFor(path))));
    snapshot.registry = ListTree(kClientRegistryKey);
    snapshot.fontSubstitutes = FontSubstitutes(WinIni(layout));
    return snapshot;
}

std::string FormatSummary(const std::string& title, const std::string& file,
                          const MachineSnapshot& before, const MachineSnapshot& after) {
    std::string out = "== " + title + "\n   (" + file + ")\n\nfiles:\n";
    for (size_t i = 0; i < after.files.size(); ++i) {
        const std::string& was = i < before.files.size() ? before.files[i].second : "?";
        const std::string& now = after.files[i].second;
        out += "  " + ShownPath(after.files[i].first) + "\n";
        out += "    before: " + was + "\n";
        out += "    after:  " + now + (was == now ? "" : "   (changed)") + "\n";
    }
    BeforeAndAfter(out, std::string("registry HKEY_CURRENT_USER\\") + kClientRegistryKey,
                   before.registry, after.registry);
    BeforeAndAfter(out, "win.ini [FontSubstitutes]", before.fontSubstitutes, after.fontSubstitutes);
    return out + "\n";
}

} // namespace vorn::runner
