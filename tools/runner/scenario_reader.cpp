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
} DialogKinds[] = {{"warning", ScenarioDialogKind::Warning},
                   {"information", ScenarioDialogKind::Information},
                   {"input", ScenarioDialogKind::Input},
                   {"error-report", ScenarioDialogKind::ErrorReport},
                   {"runtime-error", ScenarioDialogKind::RuntimeError}};

std::vector<std::string> ReadTexts(const Field& field) {
    std::vector<std::string> texts;
    for (const Field& item : field.list())
        texts.push_back(item.machineText());
    return texts;
}

robot::Action ReadAnswer(const Field& field) {
    std::string problem;
    std::optional<robot::Action> action = robot::ParseAction(field.machineText(), &problem);
    if (!action) field.fail(robot::Quoted(field.utf8()) + ": " + problem);
    return *action;
}

ExpectedDialog ReadDialog(const Field& field) {
    Object object(field);
    ExpectedDialog dialog;
    Field kind = object.need("dialog");
    dialog.kindName = kind.utf8();
    bool known = false;
    for (const auto& entry : DialogKinds)
        if (dialog.kindName == entry.name) dialog.kind = entry.kind, known = true;
    if (!known)
        kind.fail("unknown dialog " + robot::Quoted(dialog.kindName) +
                  " (known: warning, information, input, error-report, runtime-error)");
    bool input = dialog.kind == ScenarioDialogKind::Input;
    if (auto caption = object.get("caption")) dialog.caption = caption->machineText();
    if (auto buttons = object.get("buttons")) dialog.buttons = ReadTexts(*buttons);
    if (auto text = object.get("text")) {
        if (input) text->fail("an input dialog has no text (its prompt is \"prompt\")");
        dialog.text = text->machineText();
    }
    const struct {
        const char* key;
        std::optional<std::string>* target;
    } inputFields[] = {
        {"prompt", &dialog.prompt}, {"value", &dialog.value}, {"type", &dialog.type}};
    for (const auto& inputField : inputFields) {
        std::optional<Field> value = object.get(inputField.key);
        if (!value) continue;
        if (!input) value->fail("only an input dialog has this");
        *inputField.target = value->machineText();
    }
    Field answer = object.need("do");
    if (answer.json().is_array()) {
        for (const Field& item : answer.nonEmptyList())
            dialog.answers.push_back(ReadAnswer(item));
    } else {
        dialog.answers.push_back(ReadAnswer(answer));
    }
    object.finish();
    return dialog;
}

// `"absent": true`; false is no way of saying anything here.
bool ReadAbsent(Object& object) {
    std::optional<Field> absent = object.get("absent");
    if (!absent) return false;
    if (!absent->boolean()) absent->fail("write \"absent\": true or leave it out");
    return true;
}

RegistryExpectation ReadRegistryExpectation(const Field& field) {
    Object object(field);
    RegistryExpectation expectation;
    expectation.field = field.path();
    expectation.key = ReadKey(object.need("key"));
    if (auto same = object.get("same_as_before")) {
        if (!same->boolean()) same->fail("write \"same_as_before\": true or leave it out");
        for (const char* other : {"value", "absent", "type", "data"})
            if (object.has(other))
                field.fail("same_as_before compares the key's whole tree; it takes no " +
                           std::string(other));
        expectation.sameAsBefore = true;
        object.finish();
        return expectation;
    }
    if (auto name = object.get("value")) expectation.valueName = name->machineText();
    expectation.absent = ReadAbsent(object);
    if (expectation.absent) {
        if (object.has("type") || object.has("data"))
            field.fail("an absent value has no type or data");
    } else if (expectation.valueName) {
        expectation.data = ReadRegistryData(object);
    } else if (object.has("type") || object.has("data")) {
        field.fail("type and data need a value name (\"value\")");
    }
    object.finish();
    return expectation;
}

FileExpectation ReadFileExpectation(const Field& field) {
    Object object(field);
    FileExpectation expectation;
    expectation.field = field.path();
    expectation.path = object.need("path").windowsPath();
    int given = 0;
    if (std::optional<Content> content = ReadContent(object)) {
        expectation.kind = FileExpectation::Kind::Content;
        expectation.content = *content;
        ++given;
    }
    if (auto other = object.get("same_as_before")) {
        expectation.kind = FileExpectation::Kind::SameAsBefore;
        expectation.otherPath = other->windowsPath();
        ++given;
    }
    if (auto unchanged = object.get("unchanged")) {
        if (!unchanged->boolean()) unchanged->fail("write \"unchanged\": true or leave it out");
        expectation.kind = FileExpectation::Kind::Unchanged;
        ++given;
    }
    if (ReadAbsent(object)) {
        expectation.kind = FileExpectation::Kind::Absent;
        ++given;
    }
    if (given != 1)
        field.fail("give exactly one of text, hex, bytes, same_as_before, unchanged and absent");
    object.finish();
    return expectation;
}

IniExpectation ReadIniExpectation(const Field& field) {
    Object object(field);
    IniExpectation expectation;
    expectation.field = field.path();
    expectation.path = object.need("path").windowsPath();
    expectation.section = object.need("section").machineText();
    if (auto same = object.get("same_as_before")) {
        if (!same->boolean()) same->fail("write \"same_as_before\": true or leave it out");
        for (const char* other : {"key", "value", "absent"})
            if (object.has(other))
                field.fail("same_as_before compares the whole section; it takes no " +
                           std::string(other));
        expectation.sameAsBefore = true;
        object.finish();
        return expectation;
    }
    expectation.key = object.need("key").machineText();
    std::optional<Field> value = object.get("value");
    bool absent = ReadAbsent(object);
    if (value && absent) field.fail("give either value or absent, not both");
    if (!value && !absent) field.fail("needs value, \"absent\": true or \"same_as_before\": true");
    if (value) expectation.value = value->machineText();
    object.finish();
    return expectation;
}

std::string ReadProgram(const Field& field) {
    std::string name = field.utf8();
    const std::vector<std::string>& programs = PackagePrograms();
    if (std::find(programs.begin(), programs.end(), name) != programs.end()) return name;
    std::string known;
    for (const std::string& program : programs)
        known += (known.empty() ? "" : ", ") + program;
    field.fail("unknown program " + robot::Quoted(name) + " (the package has " + known + ")");
}

std::vector<ExpectedDialog> ReadDialogs(const Field& field) {
    std::vector<ExpectedDialog> dialogs;
    for (const Field& item : field.list())
        dialogs.push_back(ReadDialog(item));
    return dialogs;
}

ProgramRun ReadRun(const Field& field) {
    Object object(field);
    ProgramRun run;
    if (auto program = object.get("program")) run.program = ReadProgram(*program);
    if (auto dialogs = object.get("dialogs")) run.dialogs = ReadDialogs(*dialogs);
    run.exitCode = object.need("exit_code").integer(INT32_MIN, UINT32_MAX);
    object.finish();
    return run;
}

Expectations ReadExpectations(const Field& field) {
    Object object(field);
    Expectations expect;
    if (auto code = object.get("exit_code")) expect.exitCode = code->integer(INT32_MIN, UINT32_MAX);
    if (auto editor = object.get("editor")) expect.editor = editor->boolean();
    if (auto registry = object.get("registry"))
        for (const Field& item : registry->list())
            expect.registry.push_back(ReadRegistryExpectation(item));
    if (auto files = object.get("files"))
        for (const Field& item : files->list())
            expect.files.push_back(ReadFileExpectation(item));
    if (auto ini = object.get("ini"))
        for (const Field& item : ini->list())
            expect.ini.push_back(ReadIniExpectation(item));
    object.finish();
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
    Field title = root.need("title");
    scenario.title = title.utf8();
    if (scenario.title.empty()) title.fail("the title is empty");
    std::optional<Field> program = root.get("program");
    if (auto setup = root.get("setup")) scenario.setup = ReadSetup(*setup);
    std::optional<Field> dialogs = root.get("dialogs");
    if (auto runs = root.get("runs")) {
        // Each run names its own program and dialogs.
        if (program) program->fail("give the program inside each run, not beside \"runs\"");
        if (dialogs) dialogs->fail("give the dialogs inside each run, not beside \"runs\"");
        for (const Field& item : runs->nonEmptyList())
            scenario.runs.push_back(ReadRun(item));
        scenario.chained = true;
    } else {
        ProgramRun run;
        if (program) run.program = ReadProgram(*program);
        if (dialogs) run.dialogs = ReadDialogs(*dialogs);
        scenario.runs.push_back(std::move(run));
    }
    if (auto expect = root.get("expect")) scenario.expect = ReadExpectations(*expect);
    root.finish();
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
