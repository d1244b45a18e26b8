#include "tools/runner/expectations.h"

#include "tools/runner/file_content.h"
#include "tools/runner/registry_access.h"

#include "tools/robot/text_codec.h"

namespace vorn::runner {
namespace {

// Returned by the profile API for a key that is not there; no real entry
// holds these bytes.
const char* const AbsentSentinel = "\x01vorn-runner: no such key\x01";

std::string Text(const std::string& cp932) {
    return robot::Quoted(robot::Cp932ToUtf8(cp932));
}

// How two contents differ, for a message: short ones side by side, long ones
// by size and the first differing byte.
std::string ContentDifference(const std::string& expected, const std::string& actual) {
    if (expected.size() <= 200 && actual.size() <= 200)
        return "expected " + Text(expected) + " (" + std::to_string(expected.size()) +
               " bytes), found " + Text(actual) + " (" + std::to_string(actual.size()) + " bytes)";
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

std::optional<std::string> CheckRegistry(const RegistryExpectation& expectation) {
    std::string where =
        expectation.field + " HKEY_CURRENT_USER\\" + robot::Cp932ToUtf8(expectation.key);
    if (!expectation.valueName) {
        bool exists = KeyExists(expectation.key);
        if (expectation.absent && exists) return where + ": the key should be absent but exists";
        if (!expectation.absent && !exists) return where + ": the key is absent";
        return std::nullopt;
    }
    where += " value " + Text(*expectation.valueName) + ": ";
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
        if (now.kind != FileState::Kind::Absent)
            return where + "should be absent but is " + Describe(now);
        return std::nullopt;
    case FileExpectation::Kind::Unchanged:
        return CompareStates(where + "changed: ", record.before(expectation.path), now);
    case FileExpectation::Kind::SameAsBefore:
        return CompareStates(where + "not the same as " +
                                 robot::Cp932ToUtf8(expectation.otherPath) + " before the run: ",
                             record.before(expectation.otherPath), now);
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

std::optional<std::string> CheckIni(const IniExpectation& expectation) {
    char value[8192] = "";
    GetPrivateProfileStringA(expectation.section.c_str(), expectation.key.c_str(), AbsentSentinel,
                             value, sizeof value, expectation.path.c_str());
    bool absent = std::string(value) == AbsentSentinel;
    std::string where = Where(expectation.field, expectation.path) + "[" +
                        robot::Cp932ToUtf8(expectation.section) + "] " + Text(expectation.key) +
                        ": ";
    if (!expectation.value) {
        if (!absent) return where + "should be absent but is " + Text(value);
        return std::nullopt;
    }
    if (absent) return where + "expected " + Text(*expectation.value) + ", the key is absent";
    if (*expectation.value != value)
        return where + "expected " + Text(*expectation.value) + ", found " + Text(value);
    return std::nullopt;
}

} // namespace

void FileRecord::take(const std::string& path, HANDLE heldOpen) {
    states_[FoldPath(path)] = ReadFileState(path, heldOpen);
}

const FileState& FileRecord::before(const std::string& path) const {
    static const FileState absent;
    auto found = states_.find(FoldPath(path));
    return found == states_.end() ? absent : found->second;
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
                                                const FileRecord& record) {
    if (expect.exitCode && static_cast<DWORD>(*expect.exitCode) != facts.exitCode)
        return "expect.exit_code: expected " +
               std::to_string(static_cast<DWORD>(*expect.exitCode)) + ", the program ended with " +
               std::to_string(facts.exitCode);
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
        if (auto difference = CheckRegistry(expectation)) return difference;
    for (const FileExpectation& expectation : expect.files)
        if (auto difference = CheckFile(expectation, record)) return difference;
    for (const IniExpectation& expectation : expect.ini)
        if (auto difference = CheckIni(expectation)) return difference;
    return std::nullopt;
}

} // namespace vorn::runner
