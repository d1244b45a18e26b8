// Scenario files: what a valid one turns into, and that every kind of mistake
// is refused with the file and the field named.
#include "tools/runner/file_content.h"
#include "tools/runner/machine_kind.h"
#include "tools/runner/scenario.h"

#include <gtest/gtest.h>

using namespace vorn::runner;

namespace {

// Scenario text is UTF-8 whatever the compiler makes of narrow literals.
std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// The message a scenario is refused with; empty when it is accepted.
std::string Refusal(const char8_t* json) {
    try {
        ParseScenario(Utf8(json), "case.json");
    } catch (const ScenarioError& error) {
        return error.what();
    }
    return "";
}

const char8_t* const Typical = u8R"({
  "title": "typical",
  "only_on": {"windows": "wine", "why": "w"},
  "setup": {
    "registry": [
      {"key": "Software\\Mirabilis\\ICQ\\DefaultPrefs", "value": "ICQPath", "type": "sz", "data": "C:\\ICQ\\"},
      {"key": "Software\\Mirabilis\\ICQ\\DefaultPrefs", "value": "99b Database", "type": "dword", "data": 258},
      {"key": "Software\\Mirabilis\\ICQ\\Owners"},
      {"key": "Software\\X", "value": "", "type": "multi_sz", "data": ["あ", "b"]},
      {"key": "Software\\X", "value": "n", "type": "none", "data": ""}
    ],
    "files": [
      {"path": "C:\\ICQ\\ICQCore.dll", "bytes": {"size": 20, "fill": "random", "seed": 0, "put": [[16, "Ａ"]]}},
      {"path": "C:\\ICQ\\a.txt", "text": "警告\r\n"},
      {"path": "C:\\ICQ\\b.bin", "hex": "00ff4D53"}
    ],
    "program_folder": {"omit": ["korvel.fon"], "files": {"readme.txt": {"text": "r"}}},
    "read_only": ["C:\\ICQ\\a.txt"],
    "mtime": {"C:\\ICQ\\a.txt": "1979-12-31T23:00:00"}
  },
  "dialogs": [
    {"dialog": "warning", "text": "ICQ{*}", "buttons": ["OK", "ｷｬﾝｾﾙ"], "do": "press ｷｬﾝｾﾙ"},
    {"dialog": "input", "caption": "c", "prompt": "p", "value": "Korvel", "type": "", "do": ["key tab", "key enter"]}
  ],
  "expect": {
    "exit_code": 0,
    "editor": true,
    "registry": [{"key": "Software\\Mirabilis", "absent": true}],
    "files": [{"path": "c:\\icq\\ICQCORE.DLL", "same_as_before": "C:\\ICQ\\b.bin"}],
    "ini": [{"path": "C:\\windows\\win.ini", "section": "FontSubstitutes", "key": "Ariaj", "absent": true}]
  }
})";

TEST(ScenarioReader, TurnsAValidFileIntoMachineBytes) {
    Scenario scenario = ParseScenario(Utf8(Typical), "case.json");
    EXPECT_EQ(scenario.title, "typical");
    EXPECT_EQ(scenario.onlyOn->windows, "wine");
    EXPECT_FALSE(SkipReason(scenario, "wine", "9x"));
    EXPECT_EQ(*SkipReason(scenario, "windows", "nt"), "holds only on wine, this is windows: w");
    // A family is the one the program sees, whatever the engine.
    scenario.onlyOn->windows = "9x";
    EXPECT_FALSE(SkipReason(scenario, "wine", "9x"));
    EXPECT_EQ(*SkipReason(scenario, "wine", "nt"), "holds only on 9x, this is nt: w");
    ASSERT_EQ(scenario.setup.registry.size(), 5u);
    EXPECT_EQ(scenario.setup.registry[0].data.bytes, std::string("C:\\ICQ\\\0", 8));
    EXPECT_EQ(scenario.setup.registry[1].data.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(scenario.setup.registry[1].data.bytes, std::string("\x02\x01\0\0", 4));
    EXPECT_FALSE(scenario.setup.registry[2].valueName);
    EXPECT_EQ(*scenario.setup.registry[3].valueName, "");
    EXPECT_EQ(scenario.setup.registry[3].data.bytes, std::string("あ\0b\0\0", 6));
    EXPECT_EQ(scenario.setup.registry[4].data.bytes, "");

    ASSERT_EQ(scenario.setup.files.size(), 3u);
    const std::string& random = scenario.setup.files[0].content.bytes;
    ASSERT_EQ(random.size(), 20u);
    EXPECT_EQ(random.substr(16, 2), "Ａ"); // put in code page 932: two bytes
    EXPECT_EQ(scenario.setup.files[1].content.bytes, "警告\r\n");
    EXPECT_EQ(scenario.setup.files[2].content.bytes, std::string("\0\xffMS", 4));
    EXPECT_EQ(scenario.setup.programFolder.omit, std::vector<std::string>{"Korvel.fon"});
    ASSERT_EQ(scenario.setup.programFolder.replacements.size(), 1u);
    EXPECT_EQ(scenario.setup.programFolder.replacements[0].path, "readme.txt");
    ASSERT_EQ(scenario.setup.mtime.size(), 1u);
    EXPECT_EQ(scenario.setup.mtime[0].localTime.wYear, 1979);
    EXPECT_EQ(scenario.setup.mtime[0].localTime.wHour, 23);

    ASSERT_EQ(scenario.runs[0].dialogs.size(), 2u);
    EXPECT_EQ(scenario.runs[0].dialogs[0].kind, ScenarioDialogKind::Warning);
    EXPECT_EQ(*scenario.runs[0].dialogs[0].buttons, (std::vector<std::string>{"OK", "ｷｬﾝｾﾙ"}));
    ASSERT_EQ(scenario.runs[0].dialogs[0].answers.size(), 1u);
    EXPECT_EQ(scenario.runs[0].dialogs[0].answers[0].button, "ｷｬﾝｾﾙ");
    EXPECT_EQ(scenario.runs[0].dialogs[1].answers.size(), 2u);
    EXPECT_EQ(*scenario.runs[0].dialogs[1].type, "");
    EXPECT_EQ(*scenario.expect.exitCode, 0);
    EXPECT_TRUE(*scenario.expect.editor);
    EXPECT_TRUE(scenario.expect.registry[0].absent);
    EXPECT_EQ(scenario.expect.files[0].kind, FileExpectation::Kind::SameAsBefore);
    EXPECT_FALSE(scenario.expect.ini[0].value);
}

TEST(ScenarioReader, RandomFillIsSplitmix64LowestByteFirst) {
    Scenario scenario = ParseScenario(Utf8(Typical), "case.json");
    const std::string& bytes = scenario.setup.files[0].content.bytes;
    // The first splitmix64 number for seed 0, as its author publishes it.
    std::uint64_t first = 0xE220A8397B1DCDAFull;
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(static_cast<unsigned char>(bytes[i]), (first >> (8 * i)) & 0xFF) << i;
    SplitMix64 generator(0);
    generator.Next();
    std::uint64_t second = generator.Next();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(static_cast<unsigned char>(bytes[8 + i]), (second >> (8 * i)) & 0xFF) << i;
}

TEST(ScenarioReader, NamedPathsAreListedOnceWhateverTheirCase) {
    Scenario scenario = ParseScenario(Utf8(Typical), "case.json");
    std::vector<std::string> paths = NamedFilePaths(scenario);
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\ICQ\\ICQCore.dll", "C:\\ICQ\\a.txt",
                                               "C:\\ICQ\\b.bin", "C:\\windows\\win.ini"}));
    // A planted file names the trace it leaves too: the reset removes both.
    Scenario planted = ParseScenario(
        Utf8(
            u8R"({"title": "t", "setup": {"files": [{"path": "C:\\v\\x.dll", "planted": "library"}]}})"),
        "planted.json");
    EXPECT_EQ(planted.setup.files[0].planted, Planted::Library);
    EXPECT_EQ(NamedFilePaths(planted),
              (std::vector<std::string>{"C:\\v\\x.dll", "C:\\v\\x.dll.ran"}));
}

TEST(ScenarioReader, ChainedRunsKeepTheirProgramsDialogsAndExitCodes) {
    Scenario single = ParseScenario(Utf8(u8R"({"title": "t", "program": "UNVORN.EXE"})"), "c");
    ASSERT_EQ(single.runs.size(), 1u);
    EXPECT_EQ(single.runs[0].program, "UNVORN.EXE");
    EXPECT_FALSE(single.runs[0].exitCode);
    EXPECT_FALSE(single.chained);

    Scenario chained = ParseScenario(Utf8(u8R"({"title": "t", "runs": [
      {"program": "VORN.EXE", "dialogs": [{"dialog": "warning", "do": "close"}], "exit_code": 0},
      {"program": "UNVORN.EXE", "exit_code": 1}],
      "expect": {"exit_code": 5,
                 "registry": [{"key": "Software\\Mirabilis", "same_as_before": true}],
                 "ini": [{"path": "C:\\windows\\win.ini", "section": "FontSubstitutes",
                          "same_as_before": true}]}})"),
                                     "c");
    EXPECT_TRUE(chained.chained);
    ASSERT_EQ(chained.runs.size(), 2u);
    EXPECT_EQ(chained.runs[0].program, "VORN.EXE");
    EXPECT_EQ(chained.runs[0].dialogs.size(), 1u);
    EXPECT_EQ(*chained.runs[0].exitCode, 0);
    EXPECT_EQ(chained.runs[1].program, "UNVORN.EXE");
    EXPECT_EQ(*chained.runs[1].exitCode, 1);
    EXPECT_TRUE(chained.expect.registry[0].sameAsBefore);
    EXPECT_FALSE(chained.expect.registry[0].valueName);
    EXPECT_TRUE(chained.expect.ini[0].sameAsBefore);
    EXPECT_EQ(ProgramTitle("UNVORN.EXE"), "Unvorn");
    EXPECT_EQ(ProgramTitle("VORN.EXE"), "Vorn");
}

TEST(ScenarioReader, RefusesUnknownKeysNamingFileAndField) {
    EXPECT_EQ(Refusal(u8R"({"title": "t", "titel": "x"})"),
              "case.json: field \"titel\": unknown key (known here: title, only_on, program, setup, "
              "dialogs, runs, expect)");
    std::string nested = Refusal(u8R"({"title": "t", "setup": {"files": [{"pth": "C:\\a"}]}})");
    EXPECT_EQ(nested.find("case.json: field \"setup.files[0]"), 0u) << nested;
    std::string dialog = Refusal(
        u8R"({"title": "t", "dialogs": [{"dialog": "warning", "do": "close", "txt": "a"}]})");
    EXPECT_NE(dialog.find("\"dialogs[0].txt\": unknown key"), std::string::npos) << dialog;
}

TEST(ScenarioReader, RefusesWrongTypesNamingTheField) {
    EXPECT_EQ(Refusal(u8R"({"title": "t", "expect": {"exit_code": "0"}})"),
              "case.json: field \"expect.exit_code\": expected an integer, found a string");
    EXPECT_EQ(Refusal(u8R"({"title": "t", "expect": {"editor": 1}})"),
              "case.json: field \"expect.editor\": expected true or false, found an integer");
    EXPECT_EQ(Refusal(u8R"({"title": "t", "dialogs": {}})"),
              "case.json: field \"dialogs\": expected a list, found an object");
}

TEST(ScenarioReader, RefusesBadValuesNamingTheField) {
    struct Case {
        const char8_t* json;
        const char* field;
    } cases[] = {
        {u8R"({"setup": {}})", "title\": missing"},
        {u8R"({"title": "t", "dialogs": [{"dialog": "warn", "do": "close"}]})",
         "dialogs[0].dialog"},
        {u8R"({"title": "t", "dialogs": [{"dialog": "warning", "do": "click OK"}]})",
         "dialogs[0].do"},
        {u8R"({"title": "t", "dialogs": [{"dialog": "warning", "do": ["close", "key shift"]}]})",
         "dialogs[0].do[1]"},
        {u8R"({"title": "t", "dialogs": [{"dialog": "warning", "do": []}]})", "dialogs[0].do"},
        {u8R"({"title": "t", "dialogs": [{"dialog": "input", "text": "x", "do": "close"}]})",
         "dialogs[0].text"},
        {u8R"({"title": "t", "dialogs": [{"dialog": "warning", "value": "x", "do": "close"}]})",
         "dialogs[0].value"},
        {u8R"({"title": "t", "dialogs": [{"dialog": "warning", "text": "😀", "do": "close"}]})",
         "dialogs[0].text"},
        {u8R"({"title": "t", "setup": {"files": [{"path": "C:\\a", "hex": "abc"}]}})",
         "setup.files[0].hex"},
        {u8R"({"title": "t", "setup": {"files": [{"path": "C:\\a", "text": "", "hex": ""}]}})",
         "setup.files[0]"},
        {u8R"({"title": "t", "setup": {"files": [{"path": "D:\\a", "text": ""}]}})",
         "setup.files[0].path"},
        {u8R"({"title": "t", "setup": {"files": [{"path": "C:\\a", "planted": "driver"}]}})",
         "setup.files[0].planted"},
        {u8R"({"title": "t", "setup": {"files": [{"path": "C:\\a", "planted": "program", "text": ""}]}})",
         "setup.files[0]"},
        {u8R"({"title": "t", "setup": {"files": [{"path": "C:\\a", "bytes": {"size": 4, "put": [[2, "abc"]]}}]}})",
         "setup.files[0].bytes.put[0]"},
        {u8R"({"title": "t", "setup": {"files": [{"path": "C:\\a", "bytes": {"size": 4, "fill": "ones"}}]}})",
         "setup.files[0].bytes.fill"},
        {u8R"({"title": "t", "setup": {"registry": [{"key": "Software\\A", "value": "v", "type": "qword", "data": 1}]}})",
         "setup.registry[0].type"},
        {u8R"({"title": "t", "setup": {"registry": [{"key": "Software\\A", "value": "v", "type": "dword", "data": 4294967296}]}})",
         "setup.registry[0].data"},
        {u8R"({"title": "t", "setup": {"registry": [{"key": "Software\\A", "value": "v", "type": "sz"}]}})",
         "setup.registry[0].data\": missing"},
        {u8R"({"title": "t", "setup": {"registry": [{"key": "Software\\A", "type": "sz", "data": ""}]}})",
         "setup.registry[0]"},
        {u8R"({"title": "t", "setup": {"mtime": {"C:\\a": "1979-02-30T00:00:00"}}})",
         "setup.mtime[\"C:\\\\a\"]"},
        {u8R"({"title": "t", "setup": {"program_folder": {"omit": ["VORN.EXE"]}}})",
         "setup.program_folder.omit[0]"},
        {u8R"({"title": "t", "expect": {"files": [{"path": "C:\\a", "unchanged": true, "absent": true}]}})",
         "expect.files[0]"},
        {u8R"({"title": "t", "expect": {"files": [{"path": "C:\\a", "unchanged": false}]}})",
         "expect.files[0].unchanged"},
        {u8R"({"title": "t", "expect": {"ini": [{"path": "C:\\w.ini", "section": "s", "key": "k"}]}})",
         "expect.ini[0]"},
        {u8R"({"title": "t", "expect": {"registry": [{"key": "Software\\A", "value": "v", "absent": true, "type": "sz"}]}})",
         "expect.registry[0]"},
        {u8R"({"title": "t", "program": "VORN"})", "program"},
        {u8R"({"title": "t", "program": "VORN.EXE", "runs": [{"exit_code": 0}]})", "program"},
        {u8R"({"title": "t", "dialogs": [], "runs": [{"exit_code": 0}]})", "dialogs"},
        {u8R"({"title": "t", "runs": []})", "runs"},
        {u8R"({"title": "t", "runs": [{"program": "UNVORN.EXE"}]})",
         "runs[0].exit_code\": missing"},
        {u8R"({"title": "t", "expect": {"registry": [{"key": "Software\\A", "same_as_before": true, "value": "v"}]}})",
         "expect.registry[0]"},
        {u8R"({"title": "t", "expect": {"registry": [{"key": "Software\\A", "same_as_before": false}]}})",
         "expect.registry[0].same_as_before"},
        {u8R"({"title": "t", "expect": {"ini": [{"path": "C:\\w.ini", "section": "s", "key": "k", "same_as_before": true}]}})",
         "expect.ini[0]"},
        {u8R"({"title": "t", "only_on": "wine"})", "only_on\": expected an object"},
        {u8R"({"title": "t", "only_on": {"windows": "xp", "why": "w"}})", "only_on.windows"},
        {u8R"({"title": "t", "only_on": {"windows": "wine"}})", "only_on.why\": missing"},
        {u8R"({"title": "t", "only_on": {"windows": "wine", "why": ""}})", "only_on.why"},
        {u8R"({"title": "t", "only_on": {"windows": "wine", "why": "w", "xp": true}})",
         "only_on.xp"},
    };
    for (const Case& c : cases) {
        std::string refusal = Refusal(c.json);
        EXPECT_NE(refusal.find(std::string("case.json: field \"") + c.field), std::string::npos)
            << "expected field " << c.field << ", got: " << refusal;
    }
}

// The scenarios' C:\windows is the machine's Windows folder: at the start of
// a path in any case, in a dialog text as written, and nowhere else.
TEST(ScenarioReader, WindowsFolderIsTheMachines) {
    Scenario scenario = ParseScenario(Utf8(u8R"({"title": "t",
      "setup": {"files": [{"path": "c:\\WINDOWS\\win.ini", "text": ""},
                          {"path": "C:\\windows2\\a", "text": ""}],
                "remove": ["C:\\windows"]},
      "dialogs": [{"dialog": "information", "text": "C:\\windows\\win.iniとC:\\windowsX", "do": "close"}],
      "expect": {"ini": [{"path": "C:\\windows\\win.ini", "section": "s", "key": "k", "absent": true}]}})"),
                                      "case.json");
    AdaptToWindowsFolder(scenario, "D:\\WINNT");
    EXPECT_EQ(scenario.setup.files[0].path, "D:\\WINNT\\win.ini");
    EXPECT_EQ(scenario.setup.files[1].path, "C:\\windows2\\a");
    EXPECT_EQ(scenario.setup.remove[0], "D:\\WINNT");
    EXPECT_EQ(*scenario.runs[0].dialogs[0].text, "D:\\WINNT\\win.iniとC:\\windowsX");
    EXPECT_EQ(scenario.expect.ini[0].path, "D:\\WINNT\\win.ini");
}

TEST(ScenarioReader, RefusesTextThatIsNotJson) {
    std::string refusal = Refusal(u8R"({"title": "t",)");
    EXPECT_EQ(refusal.find("case.json: not valid JSON"), 0u) << refusal;
}

TEST(FileContent, HexRoundTripsAndRefusesNonHex) {
    EXPECT_EQ(*ParseHex("4b6f7276656C00"), std::string("Korvel\0", 7));
    EXPECT_FALSE(ParseHex("4g"));
    EXPECT_FALSE(ParseHex("123"));
    EXPECT_EQ(ToHex(std::string("\0\xff", 2)), "00 ff");
}

TEST(FileContent, Fnv1a64MatchesItsPublishedValues) {
    EXPECT_EQ(Fnv1a64(""), 0xCBF29CE484222325ull);
    EXPECT_EQ(Fnv1a64("a"), 0xAF63DC4C8601EC8Cull);
}

} // namespace
