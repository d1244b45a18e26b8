// Reading a scenario file: the top level, the dialogs and the expectations
// (the setup is in setup_reader.cpp).
#include "tools/runner/file_access.h"
#include "tools/runner/scenario_parts.h"

#include "tools/robot/text_codec.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace vorn::runner {
namespace {

const struct {
    const char* name;
    ScenarioDialogKind kind;
} kDialogKinds[] = {{"warning", ScenarioDialogKind::Warning},
                    {"information", ScenarioDialogKind::Information},
                    {"input", ScenarioDialogKind::Input},
                    {"error-report", ScenarioDialogKind::ErrorReport},
                    {"runtime-error", ScenarioDialogKind::RuntimeError}};

std::vector<std::string> ReadTexts(const Field& field) {
    std::vector<std::string> texts;
    for (const Field& item : field.List())
        texts.push_back(item.MachineText());
    return texts;
}

robot::Action ReadAnswer(const Field& field) {
    std::string problem;
    std::optional<robot::Action> action = robot::ParseAction(field.MachineText(), &problem);
    if (!action) field.Fail(robot::Quoted(field.Utf8()) + ": " + problem);
    return *action;
}

ExpectedDialog ReadDialog(const Field& field) {
    Object object(field);
    ExpectedDialog dialog;
    Field kind = object.Need("dialog");
    dialog.kindName = kind.Utf8();
    bool known = false;
    for (const auto& entry : kDialogKinds)
        if (dialog.kindName == entry.name) dialog.kind = entry.kind, known = true;
    if (!known)
        kind.Fail("unknown dialog " + robot::Quoted(dialog.kindName) +
                  " (known: warning, information, input, error-report, runtime-error)");
    bool input = dialog.kind == ScenarioDialogKind::Input;
    if (auto caption = object.Get("caption")) dialog.caption = caption->MachineText();
    if (auto buttons = object.Get("buttons")) dialog.buttons = ReadTexts(*buttons);
    if (auto text = object.Get("text")) {
        if (input) text->Fail("an input dialog has no text (its prompt is \"prompt\")");
        dialog.text = text->MachineText();
    }
    const struct {
        const char* key;
        std::optional<std::string>* target;
    } inputFields[] = {
        {"prompt", &dialog.prompt}, {"value", &dialog.value}, {"type", &dialog.type}};
    for (const auto& inputField : inputFields) {
        std::optional<Field> value = object.Get(inputField.key);
        if (!value) continue;
        if (!input) value->Fail("only an input dialog has this");
        *inputField.target = value->MachineText();
    }
    Field answer = object.Need("do");
    if (answer.Value().is_array()) {
        for (const Field& item : answer.NonEmptyList())
            dialog.answers.push_back(ReadAnswer(item));
    } else {
        dialog.answers.push_back(ReadAnswer(answer));
    }
    object.Finish();
    return dialog;
}

// `"absent": true`; false is no way of saying anything here.
bool ReadAbsent(Object& object) {
    std::optional<Field> absent = object.Get("absent");
    if (!absent) return false;
    if (!absent->Boolean()) absent->Fail("write \"absent\": true or leave it out");
    return true;
}

RegistryExpectation ReadRegistryExpectation(const Field& field) {
    Object object(field);
    RegistryExpectation expectation;
    expectation.field = field.Path();
    expectation.key = ReadKey(object.Need("key"));
    if (auto same = object.Get("same_as_before")) {
        if (!same->Boolean()) same->Fail("write \"same_as_before\": true or leave it out");
        for (const char* other : {"value", "absent", "type", "data"})
            if (object.Has(other))
                field.Fail("same_as_before compares the key's whole tree; it takes no " +
                           std::string(other));
        expectation.sameAsBefore = true;
        object.Finish();
        return expectation;
    }
    if (auto name = object.Get("value")) expectation.valueName = name->MachineText();
    expectation.absent = ReadAbsent(object);
    if (expectation.absent) {
        if (object.Has("type") || object.Has("data"))
            field.Fail("an absent value has no type or data");
    } else if (expectation.valueName) {
        expectation.data = ReadRegistryData(object);
    } else if (object.Has("type") || object.Has("data")) {
        field.Fail("type and data need a value name (\"value\")");
    }
    object.Finish();
    return expectation;
}

FileExpectation ReadFileExpectation(const Field& field) {
    Object object(field);
    FileExpectation expectation;
    expectation.field = field.Path();
    expectation.path = object.Need("path").WindowsPath();
    int given = 0;
    if (std::optional<Content> content = ReadContent(object)) {
        expectation.kind = FileExpectation::Kind::Content;
        expectation.content = *content;
        ++given;
    }
    if (auto other = object.Get("same_as_before")) {
        expectation.kind = FileExpectation::Kind::SameAsBefore;
        expectation.otherPath = other->WindowsPath();
        ++given;
    }
    if (auto unchanged = object.Get("unchanged")) {
        if (!unchanged->Boolean()) unchanged->Fail("write \"unchanged\": true or leave it out");
        expectation.kind = FileExpectation::Kind::Unchanged;
        ++given;
    }
    if (ReadAbsent(object)) {
        expectation.kind = FileExpectation::Kind::Absent;
        ++given;
    }
    if (given != 1)
        field.Fail("give exactly one of text, hex, bytes, same_as_before, unchanged and absent");
    object.Finish();
    return expectation;
}

IniExpectation ReadIniExpectation(const Field& field) {
    Object object(field);
    IniExpectation expectation;
    expectation.field = field.Path();
    expectation.path = object.Need("path").WindowsPath();
    expectation.section = object.Need("section").MachineText();
    if (auto same = object.Get("same_as_before")) {
        if (!same->Boolean()) same->Fail("write \"same_as_before\": true or leave it out");
        for (const char* other : {"key", "value", "absent"})
            if (object.Has(other))
                field.Fail("same_as_before compares the whole section; it takes no " +
                           std::string(other));
        expectation.sameAsBefore = true;
        object.Finish();
        return expectation;
    }
    expectation.key = object.Need("key").MachineText();
    std::optional<Field> value = object.Get("value");
    bool absent = ReadAbsent(object);
    if (value && absent) field.Fail("give either value or absent, not both");
    if (!value && !absent) field.Fail("needs value, \"absent\": true or \"same_as_before\": true");
    if (value) expectation.value = value->MachineText();
    object.Finish();
    return expectation;
}

std::string ReadProgram(const Field& field) {
    std::string name = field.Utf8();
    const std::vector<std::string>& programs = PackagePrograms();
    if (std::find(programs.begin(), programs.end(), name) != programs.end()) return name;
    std::string known;
    for (const std::string& program : programs)
        known += (known.empty() ? "" : ", ") + program;
    field.Fail("unknown program " + robot::Quoted(name) + " (the package has " + known + ")");
}

std::vector<ExpectedDialog> ReadDialogs(const Field& field) {
    std::vector<ExpectedDialog> dialogs;
    for (const Field& item : field.List())
        dialogs.push_back(ReadDialog(item));
    return dialogs;
}

ProgramRun ReadRun(const Field& field) {
    Object object(field);
    ProgramRun run;
    if (auto program = object.Get("program")) run.program = ReadProgram(*program);
    if (auto dialogs = object.Get("dialogs")) run.dialogs = ReadDialogs(*dialogs);
    run.exitCode = object.Need("exit_code").Integer(INT32_MIN, UINT32_MAX);
    object.Finish();
    return run;
}

Expectations ReadExpectations(const Field& field) {
    Object object(field);
    Expectations expect;
    if (auto code = object.Get("exit_code")) expect.exitCode = code->Integer(INT32_MIN, UINT32_MAX);
    if (auto editor = object.Get("editor")) expect.editor = editor->Boolean();
    if (auto registry = object.Get("registry"))
        for (const Field& item : registry->List())
            expect.registry.push_back(ReadRegistryExpectation(item));
    if (auto files = object.Get("files"))
        for (const Field& item : files->List())
            expect.files.push_back(ReadFileExpectation(item));
    if (auto ini = object.Get("ini"))
        for (const Field& item : ini->List())
            expect.ini.push_back(ReadIniExpectation(item));
    object.Finish();
    return expect;
}

} // namespace

const std::vector<std::string>& PackagePrograms() {
    static const std::vector<std::string> programs = {"VORN.EXE", "UNVORN.EXE"};
    return programs;
}

std::string ProgramTitle(const std::string& program) {
    std::string title = program.substr(0, program.find('.'));
    for (size_t i = 1; i < title.size(); ++i)
        if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
    return title;
}

Scenario ParseScenario(const std::string& text, const std::string& file) {
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::exception& error) {
        throw ScenarioError(file + ": not valid JSON: " + error.what());
    }
    Scenario scenario;
    scenario.file = file;
    Object root(Field(json, "", scenario.file));
    Field title = root.Need("title");
    scenario.title = title.Utf8();
    if (scenario.title.empty()) title.Fail("the title is empty");
    std::optional<Field> program = root.Get("program");
    if (auto setup = root.Get("setup")) scenario.setup = ReadSetup(*setup);
    std::optional<Field> dialogs = root.Get("dialogs");
    if (auto runs = root.Get("runs")) {
        // Each run names its own program and dialogs.
        if (program) program->Fail("give the program inside each run, not beside \"runs\"");
        if (dialogs) dialogs->Fail("give the dialogs inside each run, not beside \"runs\"");
        for (const Field& item : runs->NonEmptyList())
            scenario.runs.push_back(ReadRun(item));
        scenario.chained = true;
    } else {
        ProgramRun run;
        if (program) run.program = ReadProgram(*program);
        if (dialogs) run.dialogs = ReadDialogs(*dialogs);
        scenario.runs.push_back(std::move(run));
    }
    if (auto expect = root.Get("expect")) scenario.expect = ReadExpectations(*expect);
    root.Finish();
    return scenario;
}

Scenario LoadScenario(const std::string& path) {
    std::string shown = robot::Cp932ToUtf8(path);
    std::ifstream stream(path, std::ios::binary);
    if (!stream) throw ScenarioError(shown + ": cannot be read");
    std::ostringstream text;
    text << stream.rdbuf();
    return ParseScenario(text.str(), shown);
}

std::vector<std::string> NamedFilePaths(const Scenario& scenario) {
    std::vector<std::string> all;
    const Setup& setup = scenario.setup;
    for (const FileEntry& file : setup.files)
        all.push_back(file.path);
    for (const auto* list : {&setup.remove, &setup.readOnly, &setup.locked})
        all.insert(all.end(), list->begin(), list->end());
    for (const TimeEntry& time : setup.mtime)
        all.push_back(time.path);
    for (const FileExpectation& file : scenario.expect.files) {
        all.push_back(file.path);
        if (!file.otherPath.empty()) all.push_back(file.otherPath);
    }
    for (const IniExpectation& ini : scenario.expect.ini)
        all.push_back(ini.path);

    std::vector<std::string> unique, seen;
    for (const std::string& path : all) {
        std::string folded = FoldPath(path);
        if (std::find(seen.begin(), seen.end(), folded) != seen.end()) continue;
        seen.push_back(folded);
        unique.push_back(path);
    }
    return unique;
}

} // namespace vorn::runner
