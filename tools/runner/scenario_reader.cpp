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

robot::Action ReadAnswer(const Field& field) {
    std::string problem;
    std::optional<robot::Action> action = robot::ParseAction(field.MachineText(), &problem);
    if (!action) field.Fail(robot::Quoted(field.Utf8()) + ": " + problem);
    return *action;
}

ExpectedDialog ReadDialog(const Field& field) {
    Object object(field);
    ExpectedDialog dialog;
    const auto& entry = Lookup(object.Need("dialog"), kDialogKinds, "dialog");
    dialog.kindName = entry.name;
    dialog.kind = entry.kind;
    bool input = dialog.kind == ScenarioDialogKind::Input;
    if (auto caption = object.Get("caption")) dialog.caption = caption->MachineText();
    if (auto buttons = object.Get("buttons")) dialog.buttons = buttons->ListOf(&Field::MachineText);
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

// `"KEY": true`; false is no way of saying anything here.
bool ReadTrue(Object& object, const char* key) {
    std::optional<Field> flag = object.Get(key);
    if (!flag) return false;
    if (!flag->Boolean()) flag->Fail(std::string("write \"") + key + "\": true or leave it out");
    return true;
}

// `"same_as_before": true`, which compares `what` as a whole and so stands
// without any of `others`.
bool ReadSameAsBefore(Object& object, const char* what, std::initializer_list<const char*> others) {
    if (!ReadTrue(object, "same_as_before")) return false;
    for (const char* other : others)
        if (object.Has(other))
            object.AsField().Fail(std::string("same_as_before compares ") + what +
                                  "; it takes no " + other);
    return true;
}

RegistryExpectation ReadRegistryExpectation(const Field& field) {
    Object object(field);
    RegistryExpectation expectation;
    expectation.field = field.Path();
    expectation.key = ReadKey(object.Need("key"));
    expectation.sameAsBefore =
        ReadSameAsBefore(object, "the key's whole tree", {"value", "absent", "type", "data"});
    if (!expectation.sameAsBefore) {
        if (auto name = object.Get("value")) expectation.valueName = name->MachineText();
        expectation.absent = ReadTrue(object, "absent");
        if (!expectation.absent)
            expectation.data = ReadRegistryData(object, expectation.valueName.has_value());
        else if (object.Has("type") || object.Has("data"))
            field.Fail("an absent value has no type or data");
    }
    object.Finish();
    return expectation;
}

FileExpectation ReadFileExpectation(const Field& field) {
    Object object(field);
    FileExpectation expectation;
    expectation.field = field.Path();
    expectation.path = object.Need("path").WindowsPath();
    if (std::optional<Content> content = ReadContent(object)) {
        expectation.kind = FileExpectation::Kind::Content;
        expectation.content = *content;
    }
    if (auto other = object.Get("same_as_before")) {
        expectation.kind = FileExpectation::Kind::SameAsBefore;
        expectation.otherPath = other->WindowsPath();
    }
    if (ReadTrue(object, "unchanged")) expectation.kind = FileExpectation::Kind::Unchanged;
    if (ReadTrue(object, "absent")) expectation.kind = FileExpectation::Kind::Absent;
    const char* const problem =
        "give exactly one of text, hex, bytes, same_as_before, unchanged and absent";
    if (!object.OneOf({"text", "hex", "bytes", "same_as_before", "unchanged", "absent"}, problem))
        field.Fail(problem);
    object.Finish();
    return expectation;
}

IniExpectation ReadIniExpectation(const Field& field) {
    Object object(field);
    IniExpectation expectation;
    expectation.field = field.Path();
    expectation.path = object.Need("path").WindowsPath();
    expectation.section = object.Need("section").MachineText();
    expectation.sameAsBefore =
        ReadSameAsBefore(object, "the whole section", {"key", "value", "absent"});
    if (!expectation.sameAsBefore) {
        expectation.key = object.Need("key").MachineText();
        std::optional<Field> value = object.Get("value");
        ReadTrue(object, "absent"); // only checked: the missing value says it
        if (!object.OneOf({"value", "absent"}, "give either value or absent, not both"))
            field.Fail("needs value, \"absent\": true or \"same_as_before\": true");
        if (value) expectation.value = value->MachineText();
    }
    object.Finish();
    return expectation;
}

std::string ReadProgram(const Field& field) {
    std::string name = field.Utf8(), known;
    for (const std::string& program : PackagePrograms()) {
        if (name == program) return name;
        known += (known.empty() ? "" : ", ") + program;
    }
    field.Fail("unknown program " + robot::Quoted(name) + " (the package has " + known + ")");
}

ProgramRun ReadRun(const Field& field) {
    Object object(field);
    ProgramRun run;
    if (auto program = object.Get("program")) run.program = ReadProgram(*program);
    if (auto dialogs = object.Get("dialogs")) run.dialogs = dialogs->ListOf(ReadDialog);
    run.exitCode = object.Need("exit_code").Integer(INT32_MIN, UINT32_MAX);
    object.Finish();
    return run;
}

OnlyOn ReadOnlyOn(const Field& field) {
    Object object(field);
    OnlyOn onlyOn;
    Field windows = object.Need("windows");
    onlyOn.windows = windows.Utf8();
    const std::vector<std::string>& kinds = MachineKinds();
    if (std::find(kinds.begin(), kinds.end(), onlyOn.windows) == kinds.end()) {
        std::string known;
        for (const std::string& kind : kinds)
            known += (known.empty() ? "" : ", ") + kind;
        windows.Fail("unknown kind of Windows " + robot::Quoted(onlyOn.windows) +
                     " (known: " + known + ")");
    }
    Field why = object.Need("why");
    onlyOn.why = why.Utf8();
    if (onlyOn.why.empty()) why.Fail("say why the scenario holds only there");
    object.Finish();
    return onlyOn;
}

Expectations ReadExpectations(const Field& field) {
    Object object(field);
    Expectations expect;
    if (auto code = object.Get("exit_code")) expect.exitCode = code->Integer(INT32_MIN, UINT32_MAX);
    if (auto editor = object.Get("editor")) expect.editor = editor->Boolean();
    if (auto registry = object.Get("registry"))
        expect.registry = registry->ListOf(ReadRegistryExpectation);
    if (auto files = object.Get("files")) expect.files = files->ListOf(ReadFileExpectation);
    if (auto ini = object.Get("ini")) expect.ini = ini->ListOf(ReadIniExpectation);
    object.Finish();
    return expect;
}

} // namespace

const std::vector<std::string>& PackagePrograms() {
    static const std::vector<std::string> programs = {"VORN.EXE", "UNVORN.EXE"};
    return programs;
}

const std::vector<std::string>& MachineKinds() {
    static const std::vector<std::string> kinds = {"wine", "windows", "9x", "nt"};
    return kinds;
}

const std::vector<std::string>& DistributedFiles() {
    static const std::vector<std::string> files = {"readme.txt", "Korvel.fon", "KorvFix.fon"};
    return files;
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
    if (auto onlyOn = root.Get("only_on")) scenario.onlyOn = ReadOnlyOn(*onlyOn);
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
        if (dialogs) run.dialogs = dialogs->ListOf(ReadDialog);
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

std::string PlantedTrace(const std::string& path) {
    return path + ".ran";
}

std::vector<std::string> NamedFilePaths(const Scenario& scenario) {
    std::vector<std::string> all;
    const Setup& setup = scenario.setup;
    for (const FileEntry& file : setup.files) {
        all.push_back(file.path);
        if (file.planted != Planted::None) all.push_back(PlantedTrace(file.path));
    }
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
