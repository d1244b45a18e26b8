// One end-to-end scenario as the runner uses it, after validation: every text
// that meets the machine (paths, registry names and data, file contents,
// dialog texts, answers) is already code page 932; the title and the file
// name stay UTF-8 for the report.
#pragma once

#include "tools/robot/robot.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorn::runner {

// A scenario file that does not follow the format; the message names the file
// and the field.
struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A registry value's type and its data exactly as RegSetValueExA takes it
// (strings with their terminating zero, a DWORD as four bytes).
struct RegistryData {
    DWORD type = REG_NONE;
    std::string bytes;
};

struct RegistryEntry {
    std::string field; // where it stands in the file, e.g. "setup.registry[2]"
    std::string key;   // below HKEY_CURRENT_USER
    std::optional<std::string> valueName;
    RegistryData data;
};

// File content given as text, hex or a "bytes" description, expanded.
struct Content {
    std::string bytes;
    std::string description; // UTF-8, for messages
};

// A program or library of the runner's own, put in place of content: when
// started (loaded) it writes its command line (the path of the program that
// loaded it) to PlantedTrace(path) and ends (returns from its entry).
enum class Planted { None, Program, Library };

struct FileEntry {
    std::string field;
    std::string path;
    Content content; // none when planted
    Planted planted = Planted::None;
};

// Where a planted file leaves its trace: "<path>.ran".
std::string PlantedTrace(const std::string& path);

struct ProgramFolder {
    std::vector<std::string> omit;       // distributed files left out
    std::vector<FileEntry> replacements; // path: the bare file name
};

struct TimeEntry {
    std::string field;
    std::string path;
    SYSTEMTIME localTime{};
};

struct Setup {
    std::vector<RegistryEntry> registry;
    std::vector<FileEntry> files;
    std::vector<std::string> folders;
    std::vector<std::string> remove;
    ProgramFolder programFolder;
    std::vector<std::string> readOnly;
    std::vector<std::string> locked;
    std::vector<TimeEntry> mtime;
};

// The kinds of dialog a scenario names (its "kind" field).
enum class ScenarioDialogKind { Warning, Information, Input, ErrorReport, RuntimeError };

struct ExpectedDialog {
    ScenarioDialogKind kind = ScenarioDialogKind::Warning;
    std::string kindName; // as written: "warning", "input", ...
    std::optional<std::string> caption, text, prompt, value, type;
    std::optional<std::vector<std::string>> buttons;
    std::vector<robot::Action> answers;
};

struct RegistryExpectation {
    std::string field;
    std::string key;
    std::optional<std::string> valueName;
    bool absent = false; // the value, or the key when no value is named
    std::optional<RegistryData> data;
    bool sameAsBefore = false; // the key's whole tree, no value named
};

struct FileExpectation {
    enum class Kind { Content, SameAsBefore, Unchanged, Absent };
    std::string field;
    std::string path;
    Kind kind = Kind::Content;
    Content content;       // Kind::Content
    std::string otherPath; // Kind::SameAsBefore
};

struct IniExpectation {
    std::string field;
    std::string path, section, key;
    std::optional<std::string> value; // nullopt: the key must be absent
    bool sameAsBefore = false;        // the whole section's entries; no key
};

struct Expectations {
    std::optional<std::int64_t> exitCode;
    std::optional<bool> editor;
    std::vector<RegistryExpectation> registry;
    std::vector<FileExpectation> files;
    std::vector<IniExpectation> ini;
};

// One start of a program of the package and the dialogs it must show.
struct ProgramRun {
    std::string program = "VORN.EXE"; // a name of PackagePrograms()
    std::vector<ExpectedDialog> dialogs;
    // Only in "runs": the exit code this run must end with.
    std::optional<std::int64_t> exitCode;
};

// "only_on": the one kind of Windows a scenario can hold on, and why (UTF-8).
// Elsewhere the runner skips it and prints the reason. The kind is the engine
// (wine, windows) or the family the program sees (9x, nt).
struct OnlyOn {
    std::string windows; // a name of MachineKinds()
    std::string why;
};

struct Scenario {
    std::string file;  // UTF-8, as given on the command line
    std::string title; // UTF-8
    std::optional<OnlyOn> onlyOn;
    Setup setup;
    // One run for a scenario with "dialogs", every entry of "runs" otherwise.
    std::vector<ProgramRun> runs;
    bool chained = false; // written with "runs"
    Expectations expect;
};

// The programs of the package, as the program folder holds them.
const std::vector<std::string>& PackagePrograms();
// The distributed files the program folder holds besides the programs.
const std::vector<std::string>& DistributedFiles();
// The kinds of Windows "only_on" names: "wine" and "windows" (Windows
// itself), then the families "9x" (95, 98, ME) and "nt".
const std::vector<std::string>& MachineKinds();
// A program's application title: its file name up to the first ".", every
// character but the first lowered ("UNVORN.EXE" gives "Unvorn").
std::string ProgramTitle(const std::string& program);

// Reads and validates a scenario file (`path` in code page 932). Throws
// ScenarioError.
Scenario LoadScenario(const std::string& path);
// The same from text already read; `file` names it in messages (UTF-8).
Scenario ParseScenario(const std::string& json, const std::string& file);

// Every file path the scenario names anywhere (setup, expectations, ini
// files), each once, in order of appearance.
std::vector<std::string> NamedFilePaths(const Scenario& scenario);

const char* RegistryTypeName(DWORD type); // "sz", "dword", ...; nullptr if none of ours

} // namespace vorn::runner
