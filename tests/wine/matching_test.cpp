// Matching dialog texts and fields, and comparing registry data, as the
// runner judges a run.
#include "tools/runner/dialog_match.h"
#include "tools/runner/registry_access.h"

#include <gtest/gtest.h>

using namespace vorn::runner;
using vorn::robot::Dialog;
using vorn::robot::DialogShape;

namespace {

TEST(TextMatches, AddressIsExactlyEightUpperCaseHexDigits) {
    const std::string pattern = "at {ADDR} end";
    EXPECT_TRUE(TextMatches(pattern, "at 0040A1B2 end"));
    EXPECT_FALSE(TextMatches(pattern, "at 0040a1b2 end"));
    EXPECT_FALSE(TextMatches(pattern, "at 0040A1B end"));
    EXPECT_FALSE(TextMatches(pattern, "at 0040A1B23 end"));
    EXPECT_FALSE(TextMatches(pattern, "at 0040G1B2 end"));
}

TEST(TextMatches, AnyRunTakesNothingOrAnything) {
    EXPECT_TRUE(TextMatches("ICQ{*}", "ICQ"));
    EXPECT_TRUE(TextMatches("ICQ{*}", "ICQがインストールされていません"));
    EXPECT_TRUE(TextMatches("{*}ません", "ICQがインストールされていません"));
    EXPECT_TRUE(TextMatches("a{*}b{*}c", "a-b-b-c"));
    EXPECT_FALSE(TextMatches("a{*}b{*}c", "a-c-b"));
    EXPECT_FALSE(TextMatches("ICQ", "ICQ "));
    EXPECT_TRUE(TextMatches("{ADDR", "{ADDR")); // no placeholder: plain text
}

TEST(TextMatches, NeverSplitsADoubleByteCharacter) {
    // "ソ" is 0x83 0x5C in code page 932: its second byte is a backslash.
    EXPECT_FALSE(TextMatches("{*}\\", "ソ"));
    EXPECT_TRUE(TextMatches("{*}\\", "ソ\\"));
    EXPECT_FALSE(TextMatches("{ADDR}", "0040A1B\x83"));
}

Dialog Shown(DialogShape shape, const std::string& caption, const std::string& text,
             std::vector<std::string> buttons) {
    Dialog dialog;
    dialog.shape = shape;
    dialog.caption = caption;
    dialog.text = text;
    dialog.buttons = std::move(buttons);
    return dialog;
}

ExpectedDialog Expected(ScenarioDialogKind kind, const char* name, const std::string& text) {
    ExpectedDialog expected;
    expected.kind = kind;
    expected.kindName = name;
    expected.text = text;
    return expected;
}

TEST(FindDifference, AcceptsTheExpectedDialog) {
    ExpectedDialog warning = Expected(ScenarioDialogKind::Warning, "warning", "Korvel{*}");
    warning.buttons = std::vector<std::string>{"OK", "ｷｬﾝｾﾙ"};
    EXPECT_FALSE(
        FindDifference(warning, Shown(DialogShape::Form, "警告",
                                      "Korvelフォントをインストールします", {"OK", "ｷｬﾝｾﾙ"})));
    EXPECT_FALSE(FindDifference(Expected(ScenarioDialogKind::Information, "information", "x"),
                                Shown(DialogShape::Form, "Vorn", "x", {"OK"})));
    EXPECT_FALSE(FindDifference(Expected(ScenarioDialogKind::RuntimeError, "runtime-error", "x"),
                                Shown(DialogShape::MessageBox, "Error", "x", {"OK"})));
}

TEST(FindDifference, NamesTheFieldThatDiffers) {
    ExpectedDialog warning = Expected(ScenarioDialogKind::Warning, "warning", "a");
    warning.buttons = std::vector<std::string>{"OK", "ｷｬﾝｾﾙ"};
    auto caption = FindDifference(warning, Shown(DialogShape::Form, "情報", "a", {"OK", "ｷｬﾝｾﾙ"}));
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->rfind("caption: ", 0), 0u) << *caption;
    auto text = FindDifference(warning, Shown(DialogShape::Form, "警告", "b", {"OK", "ｷｬﾝｾﾙ"}));
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "text: expected \"a\", the dialog shows \"b\"");
    auto buttons = FindDifference(warning, Shown(DialogShape::Form, "警告", "a", {"ｷｬﾝｾﾙ", "OK"}));
    ASSERT_TRUE(buttons);
    EXPECT_EQ(buttons->rfind("buttons: ", 0), 0u) << *buttons;
    auto shape = FindDifference(Expected(ScenarioDialogKind::ErrorReport, "error-report", "a"),
                                Shown(DialogShape::Form, "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", "a", {"OK"}));
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->rfind("dialog: expected a system message box", 0), 0u) << *shape;
}

TEST(FindDifference, InputBoxComparesCaptionOnlyWhenGiven) {
    ExpectedDialog input;
    input.kind = ScenarioDialogKind::Input;
    input.kindName = "input";
    input.prompt = "p";
    input.value = "Korvel";
    Dialog box = Shown(DialogShape::InputBox, "whatever", "", {"OK", "ｷｬﾝｾﾙ"});
    box.prompt = input.prompt.value();
    box.editText = input.value.value();
    EXPECT_FALSE(FindDifference(input, box));
    input.caption = "ICQ履歴日本語化";
    ASSERT_TRUE(FindDifference(input, box));
    input.caption.reset();
    box.editText = "Korve";
    auto value = FindDifference(input, box);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->rfind("value: ", 0), 0u) << *value;
}

TEST(RegistryData, StringsCompareUpToTheirEnd) {
    RegistryData expected{REG_SZ, std::string("MS Sans Serij\0", 14)};
    EXPECT_TRUE(SameData(expected, {REG_SZ, "MS Sans Serij"}));
    EXPECT_TRUE(SameData(expected, {REG_SZ, std::string("MS Sans Serij\0\0", 15)}));
    EXPECT_FALSE(SameData(expected, {REG_EXPAND_SZ, std::string("MS Sans Serij\0", 14)}));
    EXPECT_FALSE(SameData(expected, {REG_SZ, std::string("MS Sans Seri\0", 13)}));
    RegistryData list{REG_MULTI_SZ, std::string("a\0b\0\0", 5)};
    EXPECT_TRUE(SameData(list, {REG_MULTI_SZ, std::string("a\0b\0", 4)}));
    EXPECT_FALSE(SameData(list, {REG_MULTI_SZ, std::string("a\0\0", 3)}));
    RegistryData dword{REG_DWORD, std::string("\1\0\0\0", 4)};
    EXPECT_FALSE(SameData(dword, {REG_DWORD, std::string("\1\0\0\1", 4)}));
    EXPECT_EQ(DescribeData(dword), "dword 1 (0x00000001)");
}

} // namespace
