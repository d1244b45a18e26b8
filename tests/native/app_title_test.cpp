// The application title rule on code page 932 paths.
#include "host/app_title.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(AppTitle, ProgramNameLosesFolderAndExtensionAndKeepsOnlyFirstLetterUpper) {
    EXPECT_EQ(TitleFromProgramPath("C:\\Program Files\\Vorn\\VORN.EXE"), "Vorn");
    EXPECT_EQ(TitleFromProgramPath("VORN.EXE"), "Vorn") << "no folder at all";
    EXPECT_EQ(TitleFromProgramPath("C:\\TOOLS\\VORN"), "Vorn") << "no extension";
    EXPECT_EQ(TitleFromProgramPath("C:\\TOOLS\\VORN.TEST.EXE"), "Vorn") << "cut at the first dot";
    EXPECT_EQ(TitleFromProgramPath("C:\\TOOLS\\vorn.exe"), "vorn") << "the first stays as it is";
    EXPECT_EQ(TitleFromProgramPath("C:\\A.B\\VORN"), "Vorn") << "a dot in a folder is not cut";
}

TEST(AppTitle, LeadBytesAreThoseOfTheGivenCodePage) {
    // On code page 1252 "é" (E9) is a letter; the code page 932 table would
    // take it for a lead byte and the backslash behind it for its trail byte.
    const String path = "C:\\Caf\xE9\\VORN.EXE";
    EXPECT_EQ(TitleFromProgramPath(path, nullptr, [](unsigned char) { return false; }), "Vorn");
    EXPECT_NE(TitleFromProgramPath(path), "Vorn");
}

TEST(AppTitle, EmptyNames) {
    EXPECT_EQ(TitleFromProgramPath(""), "");
    EXPECT_EQ(TitleFromProgramPath("C:\\TOOLS\\"), "");
    EXPECT_EQ(TitleFromProgramPath("C:\\TOOLS\\.EXE"), "");
}

TEST(AppTitle, TrailByteBackslashIsNotAFolderSeparator) {
    // Both characters end in 0x5C; the fixture is worthless if they do not.
    const String hyo = "表", so = "ソ";
    ASSERT_EQ(hyo.size(), 2u);
    ASSERT_EQ(static_cast<unsigned char>(hyo[1]), 0x5C);
    ASSERT_EQ(static_cast<unsigned char>(so[1]), 0x5C);

    EXPECT_EQ(TitleFromProgramPath("C:\\表\\VORN.EXE"), "Vorn");
    EXPECT_EQ(TitleFromProgramPath("C:\\ソ\\VORN.EXE"), "Vorn");
    EXPECT_EQ(TitleFromProgramPath("C:\\TEMP\\ソフト.EXE"), "ソフト");
    EXPECT_EQ(TitleFromProgramPath("C:\\TEMP\\表示ソ.EXE"), "表示ソ");
    EXPECT_EQ(TitleFromProgramPath("表.EXE"), "表");
}

TEST(AppTitle, TrailBytesAreNeitherLoweredNorCut) {
    // ア is 0x83 0x41: its trail byte reads as "A" when taken alone.
    const String a = "ア";
    ASSERT_EQ(a[1], 'A');
    EXPECT_EQ(TitleFromProgramPath("C:\\ABアC.EXE"), "Abアc");
    EXPECT_EQ(TitleFromProgramPath("C:\\表VORN.EXE"), "表vorn") << "a double-byte first character";
    EXPECT_EQ(TitleFromProgramPath("C:\\アVORN"), "アvorn");
}

TEST(AppTitle, LeadByteCutOffAtTheEndOfAPathStaysAlone) {
    // A 256-byte buffer may cut a path in the middle of a character.
    const String path = String("C:\\AB") + '\x95';
    EXPECT_EQ(TitleFromProgramPath(path), String("Ab") + '\x95');
    EXPECT_EQ(TitleFromProgramPath(String(1, '\x95')), String(1, '\x95'));
}

String g_tailSeen;
void RecordAndMarkTail(String& tail) {
    g_tailSeen = tail;
    tail = "<" + tail + ">";
}

TEST(AppTitle, LowerTailSeesExactlyTheCharactersBehindTheFirst) {
    EXPECT_EQ(TitleFromProgramPath("C:\\X\\VORN.EXE", RecordAndMarkTail), "V<ORN>");
    EXPECT_EQ(g_tailSeen, "ORN");
    EXPECT_EQ(TitleFromProgramPath("C:\\X\\表示.EXE", RecordAndMarkTail), "表<示>");
    EXPECT_EQ(g_tailSeen, "示");
}

TEST(AppTitle, LeadByteRanges) {
    for (int b : {0x81, 0x9F, 0xE0, 0xFC})
        EXPECT_TRUE(IsCp932LeadByte(b)) << b;
    // 0xA0-0xDF are the single-byte katakana, 0x5C and 0x2E plain ASCII.
    for (int b : {0x00, 0x2E, 0x5C, 0x80, 0xA0, 0xB1, 0xDF, 0xFD, 0xFF})
        EXPECT_FALSE(IsCp932LeadByte(b)) << b;
}

} // namespace
} // namespace vorn
