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

// Named things and what each holds, in the order first met.
using Holdings = std::vector<std::pair<std::string, std::string>>;

const std::string* Find(const Holdings& holdings, const std::string& name) {
    for (const auto& [known, held] : holdings)
        if (known == name) return &held;
    return nullptr;
}

// One line per thing that differs: `NAME: BEFORE -> AFTER`, "(absent)" for a
// side that lacks it.
std::vector<std::string> Changes(const Holdings& before, const Holdings& after) {
    std::vector<std::string> changes;
    auto change = [&](const std::string& name) {
        const std::string *was = Find(before, name), *now = Find(after, name);
        if (was && now && *was == *now) return;
        changes.push_back(name + ": " + (was ? *was : "(absent)") + " -> " +
                          (now ? *now : "(absent)"));
    };
    for (const auto& entry : before)
        change(entry.first);
    for (const auto& entry : after)
        if (!Find(before, entry.first)) change(entry.first);
    return changes;
}

// The tree's lines ("[KEY]", then "  NAME = DATA" for its values) as keys and
// values, each value named with its key: `[KEY] "NAME"`.
Holdings RegistryHoldings(const std::vector<std::string>& lines) {
    Holdings holdings;
    std::string key;
    for (const std::string& line : lines) {
        if (!line.empty() && line.front() == '[') {
            key = line;
            holdings.emplace_back(key, "key");
        } else if (size_t equals = line.find(" = "); equals != std::string::npos) {
            size_t start = line.find_first_not_of(' ');
            holdings.emplace_back(key + " " + line.substr(start, equals - start),
                                  line.substr(equals + 3));
        }
    }
    return holdings;
}

// win.ini's "key=value" entries as `"KEY"` and `"VALUE"`.
Holdings IniHoldings(const std::vector<std::string>& lines) {
    Holdings holdings;
    for (const std::string& line : lines)
        if (size_t equals = line.find('='); equals != std::string::npos)
            holdings.emplace_back(robot::Quoted(line.substr(0, equals)),
                                  robot::Quoted(line.substr(equals + 1)));
    return holdings;
}

// The lines before and after the run, then each change by name.
void BeforeAndAfter(std::string& out, const std::string& heading,
                    const std::vector<std::string>& before, const std::vector<std::string>& after,
                    const std::vector<std::string>& changes) {
    out += "\n" + heading + ":\n";
    Lines(out, "before", before);
    Lines(out, "after", after);
    if (changes.empty()) {
        out += "  changes: none\n";
        return;
    }
    Lines(out, "changes", changes);
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

std::string FormatSummary(const SummaryHeading& heading, const MachineSnapshot& before,
                          const MachineSnapshot& after) {
    std::string out = "== " + heading.title + "\n   (" + heading.file + ")\n";
    if (!heading.after.empty()) out += "   " + heading.after + "\n";
    std::vector<std::string> notAsBefore;
    out += "\nfiles:\n";
    for (size_t i = 0; i < after.files.size(); ++i) {
        const std::string& was = i < before.files.size() ? before.files[i].second : "?";
        const std::string& now = after.files[i].second;
        std::string path = ShownPath(after.files[i].first);
        out += "  " + path + "\n";
        out += "    before: " + was + "\n";
        out += "    after:  " + now + (was == now ? "" : "   (changed)") + "\n";
        if (was != now) notAsBefore.push_back(path + ": " + was + " -> " + now);
    }
    std::vector<std::string> registry =
        Changes(RegistryHoldings(before.registry), RegistryHoldings(after.registry));
    BeforeAndAfter(out, std::string("registry HKEY_CURRENT_USER\\") + kClientRegistryKey,
                   before.registry, after.registry, registry);
    std::vector<std::string> substitutes =
        Changes(IniHoldings(before.fontSubstitutes), IniHoldings(after.fontSubstitutes));
    if (before.fontSubstitutes != after.fontSubstitutes && substitutes.empty())
        substitutes.push_back("the same entries in another order, or the file appeared or went");
    BeforeAndAfter(out, "win.ini [FontSubstitutes]", before.fontSubstitutes, after.fontSubstitutes,
                   substitutes);
    if (heading.verdict) {
        notAsBefore.insert(notAsBefore.end(), registry.begin(), registry.end());
        for (const std::string& change : substitutes)
            notAsBefore.push_back("[FontSubstitutes] " + change);
        out += "\nas before the first run: ";
        if (notAsBefore.empty())
            out += "yes: every file, the registry tree and the font substitutes read as they did\n";
        else
            out += "no, these read otherwise:\n";
        for (const std::string& line : notAsBefore)
            out += "    " + line + "\n";
    }
    return out + "\n";
}

} // namespace vorn::runner
