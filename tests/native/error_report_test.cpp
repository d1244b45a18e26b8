// The error report's and the runtime-error box's texts.
#include "host/error_report.h"
#include "host/processor_faults.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

// The format as the string table holds it.
const String kFormat = "%sがﾓｼﾞｭｰﾙ %s の %p で発生しました。";

String Report(const String& message, std::size_t size = 1024) {
    return BuildErrorReportText(kFormat, "EFOpenError", "VORN.EXE", 0x1234, message, size);
}

TEST(ErrorReportText, NamesClassModuleAddressAndMessage) {
    EXPECT_EQ(BuildErrorReportText(kFormat, "EFOpenError", "VORN.EXE", 0x0000ABCD,
                                   "ﾌｧｲﾙ C:\\ICQ\\ICQCore.dll は開けません"),
              "EFOpenErrorがﾓｼﾞｭｰﾙ VORN.EXE の 0000ABCD で発生しました。\n"
              "ﾌｧｲﾙ C:\\ICQ\\ICQCore.dll は開けません.");
}

TEST(ErrorReportText, AddressIsEightUpperCaseHexDigits) {
    const struct {
        std::uint32_t address;
        const char* shown;
    } cases[] = {{0, "00000000"}, {0xff0a0b, "00FF0A0B"}, {0xdeadbeef, "DEADBEEF"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        const String text = BuildErrorReportText(kFormat, "E", "M", c.address, "x");
        EXPECT_EQ(text, String("Eがﾓｼﾞｭｰﾙ M の ") + c.shown + " で発生しました。\nx.");
    }
}

TEST(ErrorReportText, StopIsAddedOnlyWhenMissing) {
    const String head = "EFOpenErrorがﾓｼﾞｭｰﾙ VORN.EXE の 00001234 で発生しました。\n";
    EXPECT_EQ(Report("already ends."), head + "already ends.") << "no second stop";
    EXPECT_EQ(Report(""), head) << "empty message: nothing after the line feed";
    EXPECT_EQ(Report("..."), head + "...");
    EXPECT_EQ(Report("ends with a stop. then more"), head + "ends with a stop. then more.");
    // Double-byte endings never end in the byte 0x2E, full-width stop included.
    EXPECT_EQ(Report("開けません"), head + "開けません.");
    EXPECT_EQ(Report("終わり。"), head + "終わり。.");
    EXPECT_EQ(Report("ｴﾗｰ"), head + "ｴﾗｰ.") << "half-width katakana is one byte, not a stop";
}

TEST(ErrorReportText, LineFeedIsOneByte) {
    const String text = Report("m");
    EXPECT_EQ(text.find('\r'), String::npos);
    ASSERT_NE(text.find('\n'), String::npos);
    EXPECT_EQ(text.substr(text.find('\n')), "\nm.");
}

TEST(ErrorReportText, PercentSignsInArgumentsStayAsTheyAre) {
    EXPECT_EQ(BuildErrorReportText(kFormat, "E%p", "100%s.exe", 1, "%s%d%%"),
              "E%pがﾓｼﾞｭｰﾙ 100%s.exe の 00000001 で発生しました。\n%s%d%%.");
}

TEST(ErrorReportText, FormatEscapesAreRead) {
    EXPECT_EQ(BuildErrorReportText("100%% %s/%s@%p", "C", "M", 0xA, "x"), "100% C/M@0000000A\nx.");
    // A double-byte character whose trail byte is "%" is no escape.
    EXPECT_EQ(BuildErrorReportText("\x81%s", "C", "M", 0, ""), "\x81%s\n");
}

TEST(ErrorReportText, CutToBufferSizeLessOne) {
    const String longMessage(2000, 'a');
    const String full = Report(longMessage, 1 << 20);
    ASSERT_GT(full.size(), 1023u);
    const String cut = Report(longMessage);
    EXPECT_EQ(cut.size(), 1023u);
    EXPECT_EQ(cut, full.substr(0, 1023));
    EXPECT_EQ(cut.back(), 'a') << "the cut falls before the added stop";

    const String shortText = Report("m", 1 << 20);
    EXPECT_EQ(Report("m", shortText.size() + 1), shortText) << "exactly fits";
    EXPECT_EQ(Report("m", shortText.size()), shortText.substr(0, shortText.size() - 1));
    EXPECT_EQ(Report("m", 12), "EFOpenError");
    EXPECT_EQ(Report("m", 1), "");
    EXPECT_EQ(Report("m", 0), "");
}

TEST(RuntimeErrorText, ExceptionNumberReadsAsInTheTemplate) {
    EXPECT_EQ(BuildRuntimeErrorText(217, 0x00401A2B), "Runtime error 217 at 00401A2B");
    EXPECT_EQ(BuildRuntimeErrorText(216, 0xdeadbeef), "Runtime error 216 at DEADBEEF");
    EXPECT_EQ(BuildRuntimeErrorText(2, 0), "Runtime error   2 at 00000000");
    EXPECT_EQ(BuildRuntimeErrorText(55, 0x10), "Runtime error  55 at 00000010");
}

TEST(RuntimeErrorText, NumbersUpToThreeCharactersEndOnTheFourthBlank) {
    for (std::int32_t number = -99; number <= 999; ++number) {
        SCOPED_TRACE(number);
        const String text = BuildRuntimeErrorText(number, 0x1F);
        const String digits = std::to_string(number);
        ASSERT_EQ(text.size(), 29u);
        EXPECT_EQ(text.substr(0, 14), "Runtime error ");
        EXPECT_EQ(text.substr(17 - digits.size(), digits.size()), digits);
        EXPECT_EQ(text.substr(13, 17 - digits.size() - 13), String(4 - digits.size(), ' '));
        EXPECT_EQ(text.substr(17), " at 0000001F");
    }
}

TEST(RuntimeErrorText, LongerNumbersAreShownWhole) {
    EXPECT_EQ(BuildRuntimeErrorText(1000, 0xA), "Runtime error 1000 at 0000000A");
    EXPECT_EQ(BuildRuntimeErrorText(-100, 0xA), "Runtime error -100 at 0000000A");
    EXPECT_EQ(BuildRuntimeErrorText(2147483647, 0xA), "Runtime error 2147483647 at 0000000A");
}

// A fault and the box that reports it agree: for every code the fault table
// knows, the exception raised for it gives that code's number, the one the
// fault gets when no report can be shown; an unknown code gives 255.
TEST(RuntimeErrorNumber, TheExceptionOfEachFaultGivesItsCodesNumber) {
    int known = 0;
    for (std::uint32_t code = 0xC0000000; code <= 0xC00001FF; ++code) {
        SCOPED_TRACE(code);
        const ProcessorFault* fault = FindProcessorFault(code);
        if (!fault) {
            EXPECT_EQ(RuntimeErrorNumberOfCode(code), kUnknownFaultNumber);
            continue;
        }
        ++known;
        try {
            std::rethrow_exception(fault->make("m", nullptr));
        } catch (const Exception& e) {
            EXPECT_NE(dynamic_cast<const EExternal*>(&e), nullptr) << e.ClassName();
            EXPECT_EQ(RuntimeErrorNumber(e), fault->runtimeErrorNumber) << e.ClassName();
        }
    }
    EXPECT_GT(known, 0) << "the sweep missed the table";
    EXPECT_EQ(RuntimeErrorNumber(EExternalException("")), kUnknownFaultNumber);
}

TEST(RuntimeErrorNumber, EveryOtherExceptionIs217) {
    EXPECT_EQ(RuntimeErrorNumber(Exception("")), 217);
    EXPECT_EQ(RuntimeErrorNumber(EOutOfResources("")), 217);
    EXPECT_EQ(RuntimeErrorNumber(EFOpenError("")), 217);
    EXPECT_EQ(RuntimeErrorNumber(EExternal("")), 217) << "the fault base class names no fault";
}

TEST(FileNamePart, TakesWhatFollowsTheLastBackslashOutsideDoubleByteCharacters) {
    // 表 is 0x95 0x5C: its second byte looks like a backslash.
    ASSERT_EQ(String("表"), "\x95\x5C");
    const struct {
        const char* path;
        const char* name;
    } cases[] = {{"C:\\Program Files\\VORN\\VORN.EXE", "VORN.EXE"},
                 {"VORN.EXE", "VORN.EXE"},
                 {"C:\\VORN\\", ""},
                 {"", ""},
                 {"\\\\server\\share\\a.dll", "a.dll"},
                 {"C:\\表\\VORN.EXE", "VORN.EXE"},
                 {"C:\\tools\\表.exe", "表.exe"},
                 {"C:\\表", "表"},
                 {"C:\\ﾊﾟｯﾁ\\表示.exe", "表示.exe"},
                 {"C:\\a\\b\x95", "b\x95"}}; // a lone lead byte at the end
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileNamePart(c.path), c.name);
    }
}

TEST(ReadableTypeName, ReadsTheNamesOfThrownTypesAndKeepsOthersAsTheyAre) {
    const struct {
        const char* mangled;
        const char* readable;
    } cases[] = {{"i", "int"},
                 {"m", "unsigned long"},
                 {"St13runtime_error", "std::runtime_error"},
                 {"St9bad_alloc", "std::bad_alloc"},
                 {"N4vorn10EReadErrorE", "vorn::EReadError"},
                 {"NSt8ios_base7failureE", "std::ios_base::failure"},
                 {"9Exception", "Exception"},
                 // Templates, pointers and broken names are not read.
                 {"St6vectorIiSaIiEE", "St6vectorIiSaIiEE"},
                 {"PKc", "PKc"},
                 {"N4vorn5Error", "N4vorn5Error"},
                 {"St99short", "St99short"},
                 {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mangled);
        EXPECT_EQ(ReadableTypeName(c.mangled), c.readable);
    }
}

} // namespace
} // namespace vorn
