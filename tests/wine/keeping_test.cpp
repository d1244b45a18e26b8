// The kit's keeping on Wine's real registry and file system, in a scratch key
// and a scratch folder of this test's own: every kind of change a run makes
// is put back, by the run itself or by the next one after a stop; and which
// Windows the kit takes a version for.
#include "tools/runner/file_access.h"
#include "tools/runner/machine_keeping.h"
#include "tools/runner/registry_access.h"
#include "tools/runner/windows_version.h"

#include <gtest/gtest.h>

using namespace vorn::runner;

namespace {

RegistryData Data(DWORD type, const std::string& bytes) {
    return {type, bytes};
}

void Write(const std::string& key, const std::string& name, const RegistryData& data) {
    WriteRegistryEntry({"test", key, name, data});
}

// Every file and folder below `folder` with its bytes and read-only mark.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> lines;
    for (const FolderEntry& entry : ListFolder(folder)) {
        std::string path = folder + "\\" + entry.name;
        if (entry.isFolder) {
            lines.push_back("folder " + path);
            for (const std::string& line : Listing(path))
                lines.push_back(line);
            continue;
        }
        FileState state = ReadFileState(path);
        lines.push_back("file " + path + (state.readOnly ? " read-only " : " ") + state.bytes);
    }
    return lines;
}

bool SameTrees(const std::vector<KeyRecord>& a, const std::vector<KeyRecord>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].path != b[i].path || a[i].values.size() != b[i].values.size()) return false;
        for (size_t v = 0; v < a[i].values.size(); ++v)
            if (a[i].values[v].first != b[i].values[v].first ||
                a[i].values[v].second.type != b[i].values[v].second.type ||
                a[i].values[v].second.bytes != b[i].values[v].second.bytes)
                return false;
    }
    return true;
}

class KeepingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        root_ = std::string(temp) + "vorn_keeping_test_" + std::to_string(GetCurrentProcessId());
        key_ = "Software\\VornKeepingTest" + std::to_string(GetCurrentProcessId());
        keeping_ = root_ + "\\kept";
        machine_ = root_ + "\\machine";

        // Values of every type, in an order that is not the names' order.
        Write(key_ + "\\Prefs", "Zeta", Data(REG_SZ, std::string("C:\\ICQ\\\0", 8)));
        Write(key_ + "\\Prefs", "", Data(REG_SZ, std::string("default\0", 8)));
        Write(key_ + "\\Prefs", "Alpha", Data(REG_DWORD, std::string("\x01\0\0\0", 4)));
        Write(key_ + "\\Prefs", "Bin", Data(REG_BINARY, std::string("\0\xff\0", 3)));
        Write(key_ + "\\Prefs", "Path", Data(REG_EXPAND_SZ, std::string("%TEMP%\0", 7)));
        Write(key_ + "\\Prefs", "List", Data(REG_MULTI_SZ, std::string("a\0b\0\0", 5)));
        Write(key_ + "\\Owners\\31337\\Message Archive", "New Font Name",
              Data(REG_SZ, std::string("Tahoma\0", 7)));
        WriteRegistryEntry({"test", key_ + "\\Owners\\Empty", std::nullopt, {}});

        WriteWholeFile(machine_ + "\\client\\named.dll", "the client's program");
        SetReadOnly(machine_ + "\\client\\named.dll");
        WriteWholeFile(machine_ + "\\client\\db\\owner.dat", "never named");
        MakeFolders(machine_ + "\\client\\empty");
        WriteWholeFile(machine_ + "\\program\\notes.txt", "the owner's notes");
        WriteWholeFile(machine_ + "\\program\\sub\\old.exe", "an older program");
        WriteWholeFile(machine_ + "\\lone.txt", "a file of its own");

        plan_.registry.push_back({HKEY_CURRENT_USER, key_});
        plan_.files = {machine_ + "\\client\\named.dll", machine_ + "\\client\\VORN.OLD",
                       machine_ + "\\lone.txt", machine_ + "\\absent.txt"};
        plan_.folders = {machine_ + "\\client", machine_ + "\\new"};
        plan_.wholeFolders = {machine_ + "\\program"};
    }
    void TearDown() override {
        RemoveTree(root_);
        RemoveKeyTree(key_);
    }

    // What a run does, everywhere the plan reaches.
    void ChangeEverything() {
        RemoveKeyTree(key_ + "\\Owners\\Empty");
        Write(key_ + "\\Owners\\1234567\\Message Archive", "New Font Name",
              Data(REG_SZ, std::string("Korvel\0", 7)));
        Write(key_ + "\\Owners\\31337\\Message Archive", "New Font Name",
              Data(REG_SZ, std::string("Korvel\0", 7)));
        // The same values in another order, one under another name. (Wine
        // keeps a key's values sorted by name; Windows keeps them in the
        // order written, and regedit shows that order.)
        RemoveKeyTree(key_ + "\\Prefs");
        Write(key_ + "\\Prefs", "", Data(REG_SZ, std::string("default\0", 8)));
        Write(key_ + "\\Prefs", "Zetb", Data(REG_SZ, std::string("C:\\ICQ\\\0", 8)));
        Write(key_ + "\\Prefs", "Alpha", Data(REG_DWORD, std::string("\x01\0\0\0", 4)));
        Write(key_ + "\\Prefs", "Bin", Data(REG_BINARY, std::string("\0\xff\0", 3)));
        Write(key_ + "\\Prefs", "Path", Data(REG_EXPAND_SZ, std::string("%TEMP%\0", 7)));
        Write(key_ + "\\Prefs", "List", Data(REG_MULTI_SZ, std::string("a\0b\0\0", 5)));

        RemovePath(machine_ + "\\client\\named.dll");
        WriteWholeFile(machine_ + "\\client\\VORN.OLD", "a backup");
        WriteWholeFile(machine_ + "\\client\\added\\deep\\x.txt", "added");
        RemovePath(machine_ + "\\client\\empty");
        EmptyFolder(machine_ + "\\program");
        WriteWholeFile(machine_ + "\\program\\VORN.EXE", "the program");
        WriteWholeFile(machine_ + "\\lone.txt", "rewritten");
        SetReadOnly(machine_ + "\\lone.txt");
        MakeFolders(machine_ + "\\absent.txt");
        WriteWholeFile(machine_ + "\\new\\made.txt", "made");
    }

    std::string root_, key_, keeping_, machine_;
    KeepingPlan plan_;
};

TEST_F(KeepingTest, ARunPutsBackEveryKindOfChange) {
    std::vector<KeyRecord> tree = ReadKeyTree(HKEY_CURRENT_USER, key_);
    std::vector<std::string> files = Listing(machine_);
    ASSERT_EQ(tree.size(), 6u); // the key, Owners, Empty, 31337, Message Archive, Prefs
    MachineKeeping keeping(keeping_);
    keeping.Keep(plan_);
    EXPECT_TRUE(keeping.RunInProgress());
    ChangeEverything();
    ASSERT_FALSE(SameTrees(ReadKeyTree(HKEY_CURRENT_USER, key_), tree));
    ASSERT_NE(Listing(machine_), files);

    std::vector<std::string> changed = keeping.PutBack();
    EXPECT_TRUE(SameTrees(ReadKeyTree(HKEY_CURRENT_USER, key_), tree));
    EXPECT_EQ(Listing(machine_), files);
    EXPECT_EQ(changed.size(), 9u) << ::testing::PrintToString(changed);
    EXPECT_FALSE(keeping.RunInProgress());
    EXPECT_EQ(ReadFileState(keeping_).kind, FileState::Kind::Absent);
    // Nothing differs any more: a second keeping puts nothing back.
    keeping.Keep(plan_);
    EXPECT_TRUE(keeping.PutBack().empty());
}

TEST_F(KeepingTest, TheNextRunPutsBackWhatAStoppedOneLeft) {
    std::vector<KeyRecord> tree = ReadKeyTree(HKEY_CURRENT_USER, key_);
    std::vector<std::string> files = Listing(machine_);
    MachineKeeping(keeping_).Keep(plan_);
    ChangeEverything();
    MachineKeeping next(keeping_); // a run started anew
    ASSERT_TRUE(next.RunInProgress());
    EXPECT_THROW(next.Keep(plan_), MachineError); // never over a stopped run's keeping
    next.PutBack();
    EXPECT_TRUE(SameTrees(ReadKeyTree(HKEY_CURRENT_USER, key_), tree));
    EXPECT_EQ(Listing(machine_), files);
}

TEST_F(KeepingTest, AKeyThatDidNotExistIsRemoved) {
    RemoveKeyTree(key_);
    MachineKeeping keeping(keeping_);
    keeping.Keep(plan_);
    Write(key_ + "\\Prefs", "Zeta", Data(REG_SZ, std::string("x\0", 2)));
    EXPECT_EQ(keeping.PutBack().size(), 1u);
    EXPECT_FALSE(KeyExists(key_));
}

TEST_F(KeepingTest, AKeepingNeverMarkedIsDiscardedAndAFileItCannotGiveBackStopsIt) {
    WriteWholeFile(keeping_ + "\\kept.txt", "tree\tHKCU\t00\n"); // stopped while keeping
    MachineKeeping keeping(keeping_);
    EXPECT_FALSE(keeping.RunInProgress());
    keeping.DiscardUnfinished();
    EXPECT_EQ(ReadFileState(keeping_).kind, FileState::Kind::Absent);

    keeping.Keep(plan_);
    RemovePath(machine_ + "\\client\\db\\owner.dat"); // named nowhere: only its name is kept
    try {
        keeping.PutBack();
        FAIL() << "a file whose bytes were not kept came back";
    } catch (const MachineError& error) {
        EXPECT_NE(std::string(error.what()).find("owner.dat was there and is gone"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_TRUE(keeping.RunInProgress()); // for the next run to try again
    EXPECT_EQ(ReadFileState(machine_ + "\\client\\named.dll").bytes, "the client's program");
}

TEST(KeepingPlanTest, KeepsEachNamedFileAndTheFolderBelowTheDriveThatHoldsIt) {
    MachineLayout layout;                                    // C:\windows, C:\vorn
    const std::string soft = "C:\\\x83\x5c\x83\x74\x83\x67"; // C:\ソフト; "ソ" ends in 0x5C
    Scenario scenario;
    for (const std::string& path :
         {std::string("C:\\ICQ\\ICQCore.dll"), soft + "\\ICQ\\VORN.OLD",
          std::string("c:\\WINDOWS\\Fonts\\Other.fon"), std::string("C:\\vorn\\readme.txt"),
          std::string("C:\\lone.txt")})
        scenario.setup.files.push_back({"setup.files", path, {}, Planted::None});
    scenario.setup.folders.push_back("C:\\ICQ\\made");

    KeepingPlan plan = KitKeepingPlan(layout, {scenario}, true);
    EXPECT_EQ(plan.wholeFolders, std::vector<std::string>{"C:\\vorn"});
    EXPECT_EQ(plan.folders, (std::vector<std::string>{"C:\\ICQ", soft, "C:\\lone.txt"}));
    std::vector<std::string> files = WatchedSystemFiles(layout);
    for (const std::string& path :
         {std::string("C:\\ICQ\\ICQCore.dll"), soft + "\\ICQ\\VORN.OLD",
          std::string("c:\\WINDOWS\\Fonts\\Other.fon"), std::string("C:\\ICQ\\made")})
        files.push_back(path);
    EXPECT_EQ(plan.files, files);
    ASSERT_EQ(plan.registry.size(), 2u);
    EXPECT_EQ(plan.registry[1].key, kNtFontSubstitutesKey);
    EXPECT_EQ(KitKeepingPlan(layout, {scenario}, false).registry.size(), 1u); // 95 to ME
}

// major, minor, build, platform, service pack: the name, and whether the
// Win32 test programs run there.
struct VersionRow {
    DWORD major, minor, build, platform;
    WORD servicePack;
    const char* name;
    bool testProgramsRun;
};

TEST(WindowsVersionTest, NamesEachWindowsAndHoldsTheTestProgramsToTheirFloor) {
    const VersionRow rows[] = {
        {4, 0, 0x040003B6, 1, 0, "Windows 95", false},
        {4, 10, 0x040A07CE, 1, 0, "Windows 98", false},
        {4, 10, 0x040A08AE, 1, 0, "Windows 98 SE", false},
        {4, 90, 0x045A0BB8, 1, 0, "Windows ME", false},
        {4, 0, 1381, 2, 6, "Windows NT 4.0 SP6", false},
        {5, 0, 2195, 2, 4, "Windows 2000 SP4", false},
        {5, 1, 2600, 2, 2, "Windows XP SP2", false},
        {5, 1, 2600, 2, 3, "Windows XP SP3", true},
        {5, 2, 3790, 2, 2, "Windows XP x64 or Server 2003 SP2", true},
        {6, 0, 6002, 2, 2, "Windows Vista SP2", true},
        {6, 1, 7601, 2, 1, "Windows 7 SP1", true},
        {6, 2, 9200, 2, 0, "Windows 8 or later", true},
        {6, 3, 9600, 2, 0, "Windows 8.1", true},
        {10, 0, 19045, 2, 0, "Windows 10", true},
        {10, 0, 22631, 2, 0, "Windows 11", true},
    };
    for (const VersionRow& row : rows) {
        WindowsVersion version;
        version.major = row.major, version.minor = row.minor, version.build = row.build;
        version.platform = row.platform, version.servicePack = row.servicePack;
        EXPECT_EQ(WindowsName(version), row.name);
        std::optional<std::string> why = BelowFloor(version, kTestProgramsFloor);
        EXPECT_EQ(!why, row.testProgramsRun) << row.name;
        if (why) {
            EXPECT_EQ(*why, std::string("they need Windows XP SP3 or later: this is ") + row.name);
        }
    }
    WindowsVersion me{4, 90, 0x045A0BB8, 1, 0, " "};
    EXPECT_EQ(DescribeWindows(me, 932, ""),
              "Windows ME (GetVersionExA: version 4.90 build 3000, platform 1), code page 932");
}

TEST(WindowsVersionTest, TheVersionIsTheOneTheOlderCallGivesToo) {
    WindowsVersion version = ThisWindowsVersion();
    DWORD old = GetVersion(); // low byte major, next minor; the high bit on 95 to ME
    EXPECT_EQ(version.major, old & 0xFF);
    EXPECT_EQ(version.minor, (old >> 8) & 0xFF);
    EXPECT_EQ(version.platform == VER_PLATFORM_WIN32_WINDOWS, (old & 0x80000000) != 0);
}

} // namespace
