// The profile writer on real profile files in a scratch folder: the exact
// bytes after each write, entries kept in place, values passed unchanged,
// and a profile that cannot be written. The prepared files hold no blank
// lines: Wine's profile code drops them when it rewrites a file, Windows keeps
// them, and the writer passes straight through to either.
#include "host/ini_file.h"
#include "tests/wine/testkit.h"

namespace vorn {
namespace {

using testkit::ScratchFolder;

class ProfileTest : public testing::Test {
  protected:
    ScratchFolder folder;
};

using ProfileWrite = ProfileTest;

// Each case: the file before (none: no file), the entries written to
// [FontSubstitutes] in order, and the exact bytes after.
TEST_F(ProfileWrite, EachWriteGivesTheseExactBytes) {
    struct Case {
        const char* what;
        const char* before;
        std::vector<std::pair<String, String>> writes;
        const char* after;
    };
    const Case cases[] = {
        {"a missing file is created with the section and both entries",
         nullptr,
         {{"MS Sans Serij", "Korvel,128"}, {"Ariaj", "Korvel,128"}},
         "[FontSubstitutes]\r\nMS Sans Serij=Korvel,128\r\nAriaj=Korvel,128\r\n"},
        {"a new section goes after the others, which stay as they were",
         "[windows]\r\nload=\r\nrun=\r\n[fonts]\r\nA=a.fon\r\n",
         {{"Ariaj", "Korvel,128,3"}},
         "[windows]\r\nload=\r\nrun=\r\n[fonts]\r\nA=a.fon\r\n"
         "[FontSubstitutes]\r\nAriaj=Korvel,128,3\r\n"},
        {"new keys go behind the section's first, before the next section",
         "[FontSubstitutes]\r\nHelv=MS Sans Serif\r\n[other]\r\nx=1\r\n",
         {{"MS Sans Serij", "Korvel"}, {"Ariaj", "Korvel"}},
         "[FontSubstitutes]\r\nHelv=MS Sans Serif\r\nMS Sans Serij=Korvel\r\n"
         "Ariaj=Korvel\r\n[other]\r\nx=1\r\n"},
        {"an existing key gets the new value in its place",
         "[FontSubstitutes]\r\nHelv=MS Sans Serif\r\nAriaj=Old,0\r\nTms Rmn=Times New Roman\r\n",
         {{"Ariaj", "Korvel,128,3"}},
         "[FontSubstitutes]\r\nHelv=MS Sans Serif\r\nAriaj=Korvel,128,3\r\n"
         "Tms Rmn=Times New Roman\r\n"},
        {"an empty value writes the key rather than deleting it",
         "[FontSubstitutes]\r\nAriaj=Korvel\r\n",
         {{"Ariaj", ""}, {"MS Sans Serij", ""}},
         "[FontSubstitutes]\r\nAriaj=\r\nMS Sans Serij=\r\n"},
        {"double-byte texts pass unchanged",
         nullptr,
         {{"ＭＳ ゴシック", "ｺﾙｳﾞｪﾙ,128"}},
         "[FontSubstitutes]\r\nＭＳ ゴシック=ｺﾙｳﾞｪﾙ,128\r\n"},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A file of its own each: the system's profile cache keys on the path.
        const String path = folder.File("win" + std::to_string(++number) + ".ini");
        if (c.before) testkit::WriteFileBytes(path, c.before);
        TIniFile profile(path);
        for (const auto& [key, value] : c.writes)
            profile.WriteEntry("FontSubstitutes", key, value);
        EXPECT_FILE_BYTES(path, c.after);
    }
}

TEST_F(ProfileWrite, KeyMatchesWithoutRegardToLetterCase) {
    const String path = folder.File("win.ini");
    testkit::WriteFileBytes(path, "[FontSubstitutes]\r\nariaj=Old\r\n");
    TIniFile profile(path);
    profile.WriteEntry("fontsubstitutes", "ARIAJ", "Korvel");
    const auto bytes = testkit::ReadFileBytes(path);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->find("Old"), String::npos) << testkit::Printable(*bytes);
    EXPECT_EQ(bytes->find("[FontSubstitutes]"), 0u) << testkit::Printable(*bytes);
    EXPECT_NE(bytes->find("=Korvel\r\n"), String::npos) << testkit::Printable(*bytes);
}

using ProfileDelete = ProfileTest;

TEST_F(ProfileDelete, RemovesOnlyTheNamedKeysAndAMissingKeyIsNoFailure) {
    const String path = folder.File("win.ini");
    testkit::WriteFileBytes(path,
                            "[windows]\r\nload=\r\n[FontSubstitutes]\r\nHelv=MS Sans Serif\r\n"
                            "MS Sans Serij=Korvel,128,3\r\nAriaj=KorvelFix,128,3\r\n"
                            "Tms Rmn=Times New Roman\r\n[fonts]\r\nA=a.fon\r\n");
    TIniFile profile(path);
    profile.DeleteEntry("FontSubstitutes", "MS Sans Serij");
    profile.DeleteEntry("FontSubstitutes", "Ariaj");
    profile.DeleteEntry("FontSubstitutes", "Ariaj");
    EXPECT_FILE_BYTES(path, "[windows]\r\nload=\r\n[FontSubstitutes]\r\nHelv=MS Sans Serif\r\n"
                            "Tms Rmn=Times New Roman\r\n[fonts]\r\nA=a.fon\r\n");
}

using ProfileRefused = ProfileTest;

// A profile the platform refuses: the write or the deletion raises with the
// path and the file keeps its bytes. A read-only one, made writable again,
// takes the same operation: the refusal left nothing behind in the object.
TEST_F(ProfileRefused, RaisesWithThePathAndLeavesTheFileAsItWas) {
    const String prepared = "[FontSubstitutes]\r\nHelv=MS Sans Serif\r\nAriaj=Old\r\n";
    const struct {
        const char* file;
        bool deletes;
        // The bytes once writable again; null for a path in a missing folder,
        // where no file is made.
        const char* afterRetry;
    } cases[] = {
        {"write.ini", false, "[FontSubstitutes]\r\nHelv=MS Sans Serif\r\nAriaj=Korvel\r\n"},
        {"delete.ini", true, "[FontSubstitutes]\r\nHelv=MS Sans Serif\r\n"},
        {"no folder\\win.ini", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const String path = folder.File(c.file);
        if (c.afterRetry) {
            testkit::WriteFileBytes(path, prepared);
            testkit::SetReadOnly(path, true);
        }
        TIniFile profile(path);
        const auto operate = [&] {
            if (c.deletes)
                profile.DeleteEntry("FontSubstitutes", "Ariaj");
            else
                profile.WriteEntry("FontSubstitutes", "Ariaj", "Korvel");
        };
        EXPECT_RAISE(Exception, operate(), path + " に書き込めません");
        if (!c.afterRetry) {
            EXPECT_FALSE(testkit::ReadFileBytes(path));
            continue;
        }
        EXPECT_FILE_BYTES(path, prepared);
        testkit::SetReadOnly(path, false);
        operate();
        EXPECT_FILE_BYTES(path, c.afterRetry);
    }
}

} // namespace
} // namespace vorn
