// Files, folders and process launch on real files in a scratch folder: what
// counts as a present file, deleting, copying over, the Windows folder, and
// starting a program in the current folder.
#include "host/files.h"
#include "tests/wine/testkit.h"

namespace vorn {
namespace {

using testkit::ScratchFolder;

class FilesTest : public testing::Test {
  protected:
    ScratchFolder folder;
};

using FilePresence = FilesTest;

TEST_F(FilePresence, PlainFileIsPresentMissingOneIsNot) {
    testkit::WriteFileBytes(folder.File("Korvel.fon"), "MZ");
    testkit::WriteFileBytes(folder.File("empty"), "");
    EXPECT_TRUE(FileIsPresent(folder.File("Korvel.fon")));
    EXPECT_TRUE(FileIsPresent(folder.File("KORVEL.FON")));
    EXPECT_TRUE(FileIsPresent(folder.File("empty")));
    EXPECT_FALSE(FileIsPresent(folder.File("KorvFix.fon")));
    EXPECT_FALSE(FileIsPresent(folder.File("no folder\\Korvel.fon")));
}

TEST_F(FilePresence, FolderOrEmptyPathIsNot) {
    ASSERT_TRUE(CreateDirectoryA(folder.File("Fonts").c_str(), nullptr));
    EXPECT_FALSE(FileIsPresent(folder.File("Fonts")));
    EXPECT_FALSE(FileIsPresent(folder.Path()));
    EXPECT_FALSE(FileIsPresent(""));
}

TEST_F(FilePresence, ReadOnlyFileIsPresent) {
    testkit::WriteFileBytes(folder.File("VORN.OLD"), "backup");
    testkit::SetReadOnly(folder.File("VORN.OLD"), true);
    EXPECT_TRUE(FileIsPresent(folder.File("VORN.OLD")));
}

// Times after 2107 are left out: Wine's FileTimeToDosDateTime accepts them,
// where Windows refuses them.
TEST_F(FilePresence, OnlyTimesAnMsDosDateCanHoldCount) {
    struct Case {
        WORD year, month, day;
        bool present;
    };
    for (const Case c : {Case{1979, 6, 1, false}, Case{1601, 1, 2, false}, Case{1980, 1, 3, true},
                         Case{2107, 12, 30, true}}) {
        SCOPED_TRACE(c.year);
        const String path = folder.File("stamped.fon");
        testkit::WriteFileBytes(path, "x");
        testkit::SetLastWriteTime(path, c.year, c.month, c.day);
        EXPECT_EQ(FileIsPresent(path), c.present);
    }
}

TEST_F(FilePresence, WildcardsMatchAsInASearch) {
    ASSERT_TRUE(CreateDirectoryA(folder.File("Fonts").c_str(), nullptr));
    testkit::WriteFileBytes(folder.File("Korvel.fon"), "x");
    EXPECT_TRUE(FileIsPresent(folder.File("Korv*.fon")));
    EXPECT_TRUE(FileIsPresent(folder.File("K?rvel.fon")));
    EXPECT_FALSE(FileIsPresent(folder.File("Fo?ts")));
    EXPECT_FALSE(FileIsPresent(folder.File("*.dll")));
}

using FileRemoval = FilesTest;

TEST_F(FileRemoval, DeletesAFileAndReportsIt) {
    const String path = folder.File("ttfCache");
    testkit::WriteFileBytes(path, "cache");
    EXPECT_TRUE(RemoveFile(path));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileRemoval, MissingReadOnlyOrHeldFileGivesFalseAndStays) {
    EXPECT_FALSE(RemoveFile(folder.File("ttfCache")));
    const String readOnly = folder.File("read only");
    testkit::WriteFileBytes(readOnly, "kept");
    testkit::SetReadOnly(readOnly, true);
    EXPECT_FALSE(RemoveFile(readOnly));
    EXPECT_FILE_BYTES(readOnly, "kept");

    const String held = folder.File("held");
    testkit::WriteFileBytes(held, "kept too");
    {
        testkit::FileHeldElsewhere holder(held);
        ASSERT_TRUE(holder.Holding());
        EXPECT_FALSE(RemoveFile(held));
    }
    EXPECT_FILE_BYTES(held, "kept too");
    EXPECT_FALSE(RemoveFile(folder.Path()));
}

using FileCopy = FilesTest;

TEST_F(FileCopy, CreatesOrReplacesTheDestinationWithTheSourceBytes) {
    const String source = folder.File("Korvel.fon");
    testkit::WriteFileBytes(source, String("MZ\0\x01\xFF font", 10));
    ASSERT_TRUE(CreateDirectoryA(folder.File("Fonts").c_str(), nullptr));
    const String destination = folder.File("Fonts\\Korvel.fon");
    EXPECT_TRUE(CopyFileOver(source, destination));
    EXPECT_FILE_BYTES(destination, String("MZ\0\x01\xFF font", 10));

    testkit::WriteFileBytes(source, "short");
    testkit::WriteFileBytes(destination, String(20000, 'L'));
    EXPECT_TRUE(CopyFileOver(source, destination));
    EXPECT_FILE_BYTES(destination, "short");
    EXPECT_FILE_BYTES(source, "short");
}

TEST_F(FileCopy, MissingSourceFailsAndLeavesTheDestination) {
    const String destination = folder.File("KorvFix.fon");
    testkit::WriteFileBytes(destination, "installed earlier");
    EXPECT_FALSE(CopyFileOver(folder.File("missing.fon"), destination));
    EXPECT_FILE_BYTES(destination, "installed earlier");
}

TEST_F(FileCopy, UnwritableDestinationFails) {
    const String source = folder.File("Korvel.fon");
    testkit::WriteFileBytes(source, "new");
    const String readOnly = folder.File("read only.fon");
    testkit::WriteFileBytes(readOnly, "old");
    testkit::SetReadOnly(readOnly, true);
    EXPECT_FALSE(CopyFileOver(source, readOnly));
    EXPECT_FILE_BYTES(readOnly, "old");
    EXPECT_FALSE(CopyFileOver(source, folder.File("no folder\\Korvel.fon")));
}

TEST(WindowsFolderQuery, GivesAnExistingFolderWithoutTrailingBackslash) {
    const String windows = WindowsFolder();
    ASSERT_GE(windows.size(), 3u);
    EXPECT_EQ(windows.find('\0'), String::npos);
    EXPECT_EQ(windows[1], ':');
    if (windows.size() > 3) {
        EXPECT_NE(windows.back(), '\\');
    }
    const DWORD attributes = GetFileAttributesA(windows.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    // The run finds the editor and the system profile from it.
    EXPECT_TRUE(FileIsPresent(windows + "\\notepad.exe"));
}

using ProgramStart = FilesTest;

// Waits, at most 30 seconds, for `path` to hold `bytes`.
bool AppearsWith(const String& path, const String& bytes) {
    for (int i = 0; i < 300; ++i) {
        if (testkit::ReadFileBytes(path) == bytes) return true;
        Sleep(100);
    }
    return false;
}

// Runs `start` with the scratch folder as the current folder.
template <typename Start> bool StartIn(const String& folder, Start start) {
    char saved[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
    if (!SetCurrentDirectoryA(folder.c_str())) return false;
    const bool started = start();
    SetCurrentDirectoryA(String(saved, n).c_str());
    return started;
}

TEST_F(ProgramStart, SystemProgramRunsInTheCurrentFolderBesideTheCaller) {
    EXPECT_TRUE(StartIn(folder.Path(),
                        [] { return StartSystemProgram("cmd.exe", "/c echo hello>started.txt"); }));
    EXPECT_TRUE(AppearsWith(folder.File("started.txt"), "hello\r\n"));
}

// A program of that name in the current folder (here also a stand-in for the
// program's own folder) is never the one started.
TEST_F(ProgramStart, ProgramOnlyInTheCurrentFolderIsNotStarted) {
    ASSERT_TRUE(CopyFileA(testkit::OwnProgram().c_str(), folder.File("planted.exe").c_str(), TRUE));
    EXPECT_FALSE(StartIn(folder.Path(), [] {
        return StartSystemProgram("planted.exe", testkit::TouchArguments("started.txt", "hello"));
    }));
    EXPECT_EQ(testkit::ReadFileBytes(folder.File("started.txt")), std::nullopt);
}

} // namespace
} // namespace vorn
