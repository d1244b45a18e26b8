// Implements tools/runner/expectations.h.
#include "tools/runner/expectations.h"

#include "tools/runner/file_content.h"
#include "tools/runner/registry_access.h"

#include "tools/robot/text_codec.h"

namespace vorn::runner {
namespace {

// Returned by the profile API for a key that is not there; no real entry
// holds these bytes.
const char* const kAbsentSentinel = "\x01vorn-runner: no such key\x01";

// How two contents differ, for a message: short ones side by side, long ones
// by size and the first differing byte.
std::string ContentDifference(const std::string& expected, const std::string& actual) {
    if (expected.size() <= 200 && actual.size() <= 200)
        return "expected " + ShownText(expected) + " (" + std::to_string(expected.size()) +
               " bytes), found " + ShownText(actual) + " (" + std::to_string(actual.size()) +
               " bytes)";
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    std::string message = "expected " + std::to_string(expected.size()) + " bytes, found " +
                          std::to_string(actual.size());
    if (at < expected.size() && at < actual.size())
        message += "; first difference at byte " + std::to_string(at) + ": expected " +
                   ToHex(expected.substr(at, 8)) + ", found " + ToHex(actual.substr(at, 8));
    else
        message += "; equal up to the shorter length";
    return message;
}

std::string Where(const std::string& field, const std::string& path) {
    return field + " " + robot::Cp932ToUtf8(path) + ": ";
}

std::optional<std::string> CompareStates(const std::string& what, const FileState& expected,
                                         const FileState& actual) {
    if (expected == actual) return std::nullopt;
    if (expected.kind == FileState::Kind::File && actual.kind == FileState::Kind::File)
        return what + ContentDifference(expected.bytes, actual.bytes);
    return what + "expected " + Describe(expected) + ", found " + Describe(actual);
}

std::string Fold(const std::string& text) {
    std::string folded = text;
    CharUpperBuffA(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

std::string SectionKey(const std::string& path, const std::string& section) {
    return FoldPath(path) + "\n" + Fold(section);
}

// What `records` holds under `key`; an empty state or list when nothing.
template <typename Record>
const Record& Recorded(const std::map<std::string, Record>& records, const std::string& key) {
    static const Record none{};
    auto found = records.find(key);
    return found == records.end() ? none : found->second;
}

// The first line in which two listings differ, for a message.
std::string FirstDifferentLine(const std::vector<std::string>& before,
                               const std::vector<std::string>& now) {
    size_t at = 0;
    while (at < before.size() && at < now.size() && before[at] == now[at])
        ++at;
    auto line = [](const std::vector<std::string>& lines, size_t i) {
        return i < lines.size() ? robot::Quoted(lines[i]) : std::string("nothing");
    };
    return "line " + std::to_string(at + 1) + " was " + line(before, at) + ", is now " +
           line(now, at);
}

std::optional<std::string> CheckRegistry(const RegistryExpectation& expectation,
                                         const SettingsRecord& settings) {
    std::string where =
        expectation.field + " HKEY_CURRENT_USER\\" + robot::Cp932ToUtf8(expectation.key);
    if (expectation.sameAsBefore) {
        std::vector<std::string> now = ListTree(expectation.key, true);
        const std::vector<std::string>& before = settings.Tree(expectation.key);
        if (now == before) return std::nullopt;
        return where + ": not the same as before the run: " + FirstDifferentLine(before, now);
    }
    if (!expectation.valueName) {
        bool exists = KeyExists(expectation.key);
        if (expectation.absent && exists) return where + ": the key should be absent but exists";
        if (!expectation.absent && !exists) return where + ": the key is absent";
        return std::nullopt;
    }
    where += " value " + ShownText(*expectation.valueName) + ": ";
    ValueState state = ReadValue(expectation.key, *expectation.valueName);
    if (expectation.absent) {
        if (state.valueExists)
            return where + "should be absent but holds " + DescribeData(state.data);
        return std::nullopt;
    }
    if (!state.keyExists) return where + "absent (the key does not exist)";
    if (!state.valueExists) return where + "absent";
    if (!SameData(*expectation.data, state.data))
        return where + "expected " + DescribeData(*expectation.data) + ", found " +
               DescribeData(state.data);
    return std::nullopt;
}

std::optional<std::string> CheckFile(const FileExpectation& expectation, const FileRecord& record) {
    std::string where = Where(expectation.field, expectation.path);
    FileState now = ReadFileState(expectation.path);
    switch (expectation.kind) {
    case FileExpectation::Kind::Absent:
        if (now.kind != FileState::Kind::Absent) {
            // A planted file's trace says what ran it.
            const bool trace = now.kind == FileState::Kind::File && !now.bytes.empty() &&
                               expectation.path.ends_with(PlantedTrace(""));
            return where + "should be absent but is " + Describe(now) +
                   (trace ? ": " + ShownText(now.bytes) : "");
        }
        return std::nullopt;
    case FileExpectation::Kind::Unchanged:
        return CompareStates(where + "changed: ", record.Before(expectation.path), now);
    case FileExpectation::Kind::SameAsBefore:
        return CompareStates(where + "not the same as " +
                                 robot::Cp932ToUtf8(expectation.otherPath) + " before the run: ",
                             record.Before(expectation.otherPath), now);
    default: {
        FileState expected;
        expected.kind = FileState::Kind::File;
        expected.bytes = expectation.content.bytes;
        if (now.kind != FileState::Kind::File)
            return where + "expected " + expectation.content.description + ", found " +
                   Describe(now);
        return CompareStates(where, expected, now);
    }
    }
}

std::vector<std::string> Utf8Lines(const std::vector<std::string>& cp932) {
    std::vector<std::string> lines;
    for (const std::string& line : cp932)
        lines.push_back(robot::Cp932ToUtf8(line));
    return lines;
}

std::optional<std::string> CheckIni(const IniExpectation& expectation,
                                    const SettingsRecord& settings) {
    std::string section = Where(expectation.field, expectation.path) + "[" +
                          robot::Cp932ToUtf8(expectation.section) + "]";
    if (expectation.sameAsBefore) {
        std::vector<std::string> now = ReadIniSection(expectation.path, expectation.section);
        const std::vector<std::string>& before =
            settings.Section(expectation.path, expectation.section);
        if (now == before) return std::nullopt;
        return section + ": not the same as before the run: " +
               FirstDifferentLine(Utf8Lines(before), Utf8Lines(now));
    }
    char value[8192] = "";
    GetPrivateProfileStringA(expectation.section.c_str(), expectation.key.c_str(), kAbsentSentinel,
                             value, sizeof value, expectation.path.c_str());
    bool absent = std::string(value) == kAbsentSentinel;
    std::string where = section + " " + ShownText(expectation.key) + ": ";
    if (!expectation.value) {
        if (!absent) return where + "should be absent but is " + ShownText(value);
        return std::nullopt;
    }
    if (absent) return where + "expected " + ShownText(*expectation.value) + ", the key is absent";
    if (*expectation.value != value)
        return where + "expected " + ShownText(*expectation.value) + ", found " + ShownText(value);
    return std::nullopt;
}

} // namespace

void FileRecord::Take(const std::string& path, HANDLE heldOpen) {
    states_[FoldPath(path)] = ReadFileState(path, heldOpen);
}

const FileState& FileRecord::Before(const std::string& path) const {
    return Recorded(states_, FoldPath(path)); // absent when not recorded
}

std::vector<std::string> ReadIniSection(const std::string& path, const std::string& section) {
    std::vector<char> buffer(65536, '\0');
    DWORD length = GetPrivateProfileSectionA(section.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path.c_str());
    std::vector<std::string> entries;
    for (size_t at = 0; at < length;) {
        std::string entry(buffer.data() + at);
        if (entry.empty()) break;
        at += entry.size() + 1;
        entries.push_back(entry);
    }
    return entries;
}

void SettingsRecord::Take(const Expectations& expect) {
    for (const RegistryExpectation& registry : expect.registry)
        if (registry.sameAsBefore) trees_[Fold(registry.key)] = ListTree(registry.key, true);
    for (const IniExpectation& ini : expect.ini)
        if (ini.sameAsBefore)
            sections_[SectionKey(ini.path, ini.section)] = ReadIniSection(ini.path, ini.section);
}

const std::vector<std::string>& SettingsRecord::Tree(const std::string& key) const {
    return Recorded(trees_, Fold(key));
}

const std::vector<std::string>& SettingsRecord::Section(const std::string& path,
                                                        const std::string& section) const {
    return Recorded(sections_, SectionKey(path, section));
}

std::vector<std::string> PathsToRecord(const Expectations& expect) {
    std::vector<std::string> paths;
    for (const FileExpectation& file : expect.files) {
        paths.push_back(file.path);
        if (!file.otherPath.empty()) paths.push_back(file.otherPath);
    }
    return paths;
}

std::optional<std::string> FindUnmetExpectation(const Expectations& expect, const RunFacts& facts,
                                                const FileRecord& record,
                                                const SettingsRecord& settings) {
    if (expect.exitCode && facts.exitCode &&
        static_cast<DWORD>(*expect.exitCode) != *facts.exitCode)
        return "expect.exit_code: expected " +
               std::to_string(static_cast<DWORD>(*expect.exitCode)) + ", the program ended with " +
               std::to_string(*facts.exitCode);
    if (expect.editor) {
        if (*expect.editor && !facts.editorStarted)
            return std::string("expect.editor: the text editor was not started");
        if (*expect.editor && !facts.editorOnReadme)
            return "expect.editor: the text editor was started, but not on readme.txt: " +
                   facts.editorCommandLines;
        if (!*expect.editor && facts.editorStarted)
            return "expect.editor: the text editor was started: " + facts.editorCommandLines;
    }
    for (const RegistryExpectation& expectation : expect.registry)
        if (auto difference = CheckRegistry(expectation, settings)) return difference;
    for (const FileExpectation& expectation : expect.files)
        if (auto difference = CheckFile(expectation, record)) return difference;
    for (const IniExpectation& expectation : expect.ini)
        if (auto difference = CheckIni(expectation, settings)) return difference;
    return std::nullopt;
}

} // namespace vorn::runner
