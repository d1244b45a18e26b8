// The machine operations on Wine's real file system and registry, in a
// scratch folder and a scratch key of this test's own.
#include "tools/runner/editor_watch.h"
#include "tools/runner/expectations.h"
#include "tools/runner/machine.h"
#include "tools/runner/registry_access.h"

#include <gtest/gtest.h>

using namespace vorn::runner;

namespace {

class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "vorn_runner_test_" + std::to_string(GetCurrentProcessId());
        key_ = "Software\\VornRunnerTest" + std::to_string(GetCurrentProcessId());
    }
    void TearDown() override {
        EmptyFolder(folder_);
        RemoveDirectoryA(folder_.c_str());
        RemoveKeyTree(key_);
    }
    std::string folder_, key_;
};

TEST_F(MachineTest, WritesIntoNewFoldersAndRemovesReadOnlyFiles) {
    std::string path = folder_ + "\\a\\b\\c.txt";
    WriteWholeFile(path, "abc");
    SetReadOnly(path);
    FileState state = ReadFileState(path);
    EXPECT_EQ(state.kind, FileState::Kind::File);
    EXPECT_EQ(state.bytes, "abc");
    EXPECT_TRUE(state.readOnly);
    WriteWholeFile(path, "replaced, read-only or not");
    EXPECT_EQ(ReadFileState(path).bytes, "replaced, read-only or not");
    SetReadOnly(path);
    RemovePath(path);
    EXPECT_EQ(ReadFileState(path).kind, FileState::Kind::Absent);
    EXPECT_EQ(ReadFileState(folder_ + "\\a\\b").kind, FileState::Kind::Folder);
    EXPECT_NO_THROW(RemovePath(path)); // nothing there is fine
}

TEST_F(MachineTest, LastWriteTimeIsSetInLocalTimeEvenOnReadOnlyFiles) {
    std::string path = folder_ + "\\old.txt";
    WriteWholeFile(path, "x");
    SetReadOnly(path);
    SYSTEMTIME local{};
    local.wYear = 1979, local.wMonth = 12, local.wDay = 31, local.wHour = 23;
    SetLastWriteLocalTime(path, local, nullptr);
    WIN32_FIND_DATAA found;
    ASSERT_TRUE(vorn::ScopedFind(FindFirstFileA(path.c_str(), &found)));
    FILETIME localFile;
    SYSTEMTIME back;
    FileTimeToLocalFileTime(&found.ftLastWriteTime, &localFile);
    FileTimeToSystemTime(&localFile, &back);
    EXPECT_EQ(back.wYear, 1979);
    EXPECT_EQ(back.wMonth, 12);
    EXPECT_EQ(back.wDay, 31);
    EXPECT_EQ(back.wHour, 23);
    EXPECT_TRUE(found.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
}

TEST_F(MachineTest, AHeldFileRefusesOthersButReadsThroughTheHold) {
    std::string path = folder_ + "\\held.dll";
    WriteWholeFile(path, "held bytes");
    FileLocks locks;
    locks.Hold(path);
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadFileState(path).kind, FileState::Kind::Unreadable);
    EXPECT_EQ(ReadFileState(path, locks.HandleFor(path)).bytes, "held bytes");
    EXPECT_NE(locks.HandleFor(FoldPath(path)), nullptr); // found whatever the case
    locks.Release();
    EXPECT_EQ(ReadFileState(path).bytes, "held bytes");
    EXPECT_THROW(locks.Hold(folder_ + "\\missing"), MachineError);
}

TEST_F(MachineTest, RegistryValuesGoInAndComeBackWithTheirTypes) {
    RegistryEntry sz{"e",
                     key_ + "\\DefaultPrefs",
                     std::string("ICQPath"),
                     {REG_SZ, std::string("C:\\ICQ\\\0", 8)}};
    RegistryEntry unnamed{
        "e", key_ + "\\DefaultPrefs", std::string(""), {REG_BINARY, std::string("\x4b\x00", 2)}};
    RegistryEntry bare{"e", key_ + "\\Owners\\9", std::nullopt, {}};
    for (const RegistryEntry& entry : {sz, unnamed, bare})
        WriteRegistryEntry(entry);
    ValueState read = ReadValue(key_ + "\\DefaultPrefs", "ICQPath");
    EXPECT_TRUE(read.valueExists);
    EXPECT_TRUE(SameData(sz.data, read.data));
    EXPECT_TRUE(SameData(unnamed.data, ReadValue(key_ + "\\DefaultPrefs", "").data));
    EXPECT_TRUE(KeyExists(key_ + "\\Owners\\9"));
    EXPECT_FALSE(ReadValue(key_ + "\\Owners\\9", "x").valueExists);

    std::vector<std::string> tree = ListTree(key_);
    ASSERT_EQ(tree.size(), 6u); // the scratch key, three below it, two values
    EXPECT_EQ(tree[2], "  (default) = binary hex \"4b 00\"");
    EXPECT_EQ(tree[3], "  \"ICQPath\" = sz \"C:\\\\ICQ\\\\\"");

    RemoveKeyTree(key_);
    EXPECT_FALSE(KeyExists(key_));
    EXPECT_EQ(ListTree(key_), std::vector<std::string>{"(absent)"});
}

TEST_F(MachineTest, ExpectationsReportTheFirstUnmetOne) {
    std::string ini = folder_ + "\\test.ini";
    WriteWholeFile(ini, "[FontSubstitutes]\r\nAriaj=KorvelFix,128,3\r\n");
    std::string file = folder_ + "\\f.bin";
    WriteWholeFile(file, "before");
    Expectations expect;
    expect.exitCode = 0;
    expect.ini.push_back({"expect.ini[0]", ini, "FontSubstitutes", "Ariaj", "KorvelFix,128,3"});
    expect.ini.push_back({"expect.ini[1]", ini, "FontSubstitutes", "MS Sans Serij", std::nullopt});
    FileExpectation unchanged;
    unchanged.field = "expect.files[0]";
    unchanged.path = file;
    unchanged.kind = FileExpectation::Kind::Unchanged;
    expect.files.push_back(unchanged);
    FileRecord record;
    record.Take(file, nullptr);
    RunFacts facts;
    EXPECT_FALSE(FindUnmetExpectation(expect, facts, record, SettingsRecord()));

    facts.exitCode = 1;
    auto exitCode = FindUnmetExpectation(expect, facts, record, SettingsRecord());
    ASSERT_TRUE(exitCode);
    EXPECT_EQ(*exitCode, "expect.exit_code: expected 0, the program ended with 1");
    facts.exitCode = 0;

    WriteWholeFile(file, "after");
    auto changed = FindUnmetExpectation(expect, facts, record, SettingsRecord());
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->rfind("expect.files[0] ", 0), 0u) << *changed;
    WriteWholeFile(file, "before");

    WriteWholeFile(ini, "[FontSubstitutes]\r\nAriaj=Other\r\nMS Sans Serij=Korvel\r\n");
    auto value = FindUnmetExpectation(expect, facts, record, SettingsRecord());
    ASSERT_TRUE(value);
    EXPECT_NE(value->find("expect.ini[0]"), std::string::npos) << *value;
    EXPECT_NE(value->find("found \"Other\""), std::string::npos) << *value;
    WriteWholeFile(ini, "[FontSubstitutes]\r\nAriaj=KorvelFix,128,3\r\nMS Sans Serij=Korvel\r\n");
    auto present = FindUnmetExpectation(expect, facts, record, SettingsRecord());
    ASSERT_TRUE(present);
    EXPECT_NE(present->find("expect.ini[1]"), std::string::npos) << *present;
    EXPECT_NE(present->find("should be absent"), std::string::npos) << *present;
}

TEST(EditorWatch, SeesNoEditorOfAProcessThatStartedNone) {
    EditorWatch watch(GetCurrentProcessId());
    watch.Poll();
    EXPECT_FALSE(watch.Started());
    EXPECT_EQ(watch.CommandLines(), "");
}

} // namespace
