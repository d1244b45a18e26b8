// TRegistry on the real registry, below a scratch key of HKEY_CURRENT_USER:
// opening absolute and relative paths, reading string data at its edges,
// refusing every other type, listing subkeys, writing and closing.
#include "host/registry.h"
#include "host/system_facts.h"
#include "tests/wine/testkit.h"

#include <aclapi.h>
#include <algorithm>
#include <vector>

namespace vorn {
namespace {

using testkit::ScratchKey;

std::vector<String> SortedItems(const TStringList& list) {
    std::vector<String> items;
    for (std::int32_t i = 0; i < list.Count(); ++i)
        items.push_back(list.Get(i));
    std::sort(items.begin(), items.end());
    return items;
}

// The path with one leading backslash (appended: GCC 12 warns falsely on
// "literal" + string).
String Absolute(const String& path) {
    String absolute(1, '\\');
    absolute += path;
    return absolute;
}

ScratchKey::Value Text(const String& text) {
    return {REG_SZ, String(text.c_str(), text.size() + 1)};
}

class RegistryTest : public testing::Test {
  protected:
    ScratchKey scratch;
};

using RegistryOpen = RegistryTest;

TEST_F(RegistryOpen, PathWithoutBackslashWithNoKeyOpenCountsFromTheRoot) {
    TRegistry registry;
    EXPECT_FALSE(registry.HasOpenKey());
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    EXPECT_TRUE(registry.HasOpenKey());
    EXPECT_EQ(registry.ActivePath(), scratch.Path());
}

// With A open: a relative path counts from A and the paths are joined; a
// leading backslash counts from the root even so. Either way the next write
// lands in the key opened, not in A.
TEST_F(RegistryOpen, SecondOpenCountsFromTheOpenKeyOrFromTheRootWithABackslash) {
    scratch.CreateKey("A\\B\\C");
    scratch.CreateKey("B");
    const struct {
        String path;
        String lands; // below the scratch key
    } cases[] = {{"B\\C", "A\\B\\C"}, {Absolute(scratch.Below("B")), "B"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        TRegistry registry;
        ASSERT_TRUE(registry.OpenExisting(scratch.Below("A")));
        ASSERT_TRUE(registry.OpenExisting(c.path));
        EXPECT_EQ(registry.ActivePath(), scratch.Below(c.lands));
        registry.WriteText("Where", c.lands);
        EXPECT_EQ(scratch.GetValue(c.lands, "Where"), Text(c.lands));
        EXPECT_FALSE(scratch.GetValue("A", "Where"));
    }
}

TEST_F(RegistryOpen, FailedRelativeOpenKeepsTheOpenKeyForTheNextWrite) {
    scratch.CreateKey("A");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Below("A")));
    EXPECT_FALSE(registry.OpenExisting("Missing"));
    EXPECT_FALSE(registry.OpenExisting(Absolute(scratch.Below("Missing"))));
    EXPECT_EQ(registry.ActivePath(), scratch.Below("A"));
    registry.WriteText("New Font Name", "MS Sans Serij");
    EXPECT_EQ(scratch.GetValue("A", "New Font Name"), Text("MS Sans Serij"));
    EXPECT_FALSE(scratch.KeyExists("A\\Missing"));
    EXPECT_FALSE(scratch.KeyExists("Missing"));
}

TEST_F(RegistryOpen, FailedFirstOpenLeavesNoKeyForAnyOperation) {
    scratch.SetText("", "ICQPath", "C:\\ICQ\\");
    TRegistry registry;
    EXPECT_FALSE(registry.OpenExisting(scratch.Below("Missing")));
    EXPECT_FALSE(registry.HasOpenKey());
    EXPECT_EQ(registry.ActivePath(), "");
    EXPECT_FALSE(registry.HasValue("ICQPath"));
    EXPECT_EQ(registry.ReadText("ICQPath"), "");
    TStringList list;
    list.Add("stale");
    registry.ListSubkeys(list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_RAISE(ERegistryException, registry.WriteText("New Font Name", "x"),
                 "'New Font Name' の設定に失敗しました");
    EXPECT_FALSE(scratch.KeyExists("Missing"));
}

// Gives `relative` a DACL that lets everyone read it (and change the DACL
// again) and nothing more; `fullAccess` gives the key back to everyone.
void SetEveryonesAccess(const ScratchKey& scratch, const String& relative, bool fullAccess) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    EXPLICIT_ACCESSA access = {};
    access.grfAccessPermissions = fullAccess ? KEY_ALL_ACCESS : KEY_READ | WRITE_DAC;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclA(1, &access, nullptr, &acl), ERROR_SUCCESS);
    ScopedKey key;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_CURRENT_USER, scratch.Below(relative).c_str(), 0, WRITE_DAC, key.Put()),
        ERROR_SUCCESS);
    const DWORD result = SetSecurityInfo(
        key.Get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
        nullptr, nullptr, acl, nullptr);
    key.Reset();
    LocalFree(acl);
    FreeSid(everyone);
    ASSERT_EQ(result, ERROR_SUCCESS);
}

TEST_F(RegistryOpen, KeyRefusingFullAccessOpensForReadingAndRefusesWrites) {
    scratch.SetText("Locked", "ICQPath", "C:\\ICQ\\");
    SetEveryonesAccess(scratch, "Locked", false);
    // Given back before the scratch key goes, whatever the test finds.
    struct Unlock {
        const ScratchKey& scratch;
        ~Unlock() { SetEveryonesAccess(scratch, "Locked", true); }
    } unlock{scratch};
    if (ScopedKey probe; RegOpenKeyExA(HKEY_CURRENT_USER, scratch.Below("Locked").c_str(), 0,
                                       KEY_ALL_ACCESS, probe.Put()) == ERROR_SUCCESS) {
        GTEST_SKIP() << "this registry does not enforce key security";
    }
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Below("Locked")));
    EXPECT_EQ(registry.ReadText("ICQPath"), "C:\\ICQ\\");
    EXPECT_TRUE(registry.HasValue("ICQPath"));
    EXPECT_RAISE(ERegistryException, registry.WriteText("ICQPath", "D:\\"),
                 "'ICQPath' の設定に失敗しました");
    EXPECT_TRUE(registry.HasOpenKey());
    EXPECT_EQ(scratch.GetValue("Locked", "ICQPath"), Text("C:\\ICQ\\"));
}

using RegistryRead = RegistryTest;

// Each value as stored, the name it is read by (names match in any case) and
// the text it gives: string data up to its first zero, with or without a
// terminator, percent references kept, and no data of any type as no text.
TEST_F(RegistryRead, StringDataComesBackUpToItsFirstZero) {
    const struct {
        const char* name;
        DWORD type;
        String bytes;
        const char* readAs;
        String text;
    } cases[] = {
        {"ICQPath", REG_SZ, Text("C:\\Program Files\\ICQ\\").bytes, "ICQPath",
         "C:\\Program Files\\ICQ\\"},
        {"ICQPath", REG_SZ, Text("C:\\Program Files\\ICQ\\").bytes, "icqpath",
         "C:\\Program Files\\ICQ\\"},
        {"名前", REG_SZ, Text("ｱｲｳ漢字").bytes, "名前", "ｱｲｳ漢字"},
        {"Long", REG_SZ, Text(String(5000, 'L')).bytes, "Long", String(5000, 'L')},
        {"Expand", REG_EXPAND_SZ, String("%SystemRoot%\\ICQ\\\0", 18), "Expand",
         "%SystemRoot%\\ICQ\\"},
        {"Inner", REG_SZ, String("ab\0cd\0", 6), "Inner", "ab"},
        {"Unterminated", REG_SZ, "C:\\ICQ", "Unterminated", "C:\\ICQ"},
        {"Empty", REG_SZ, "", "Empty", ""},
        {"OnlyZero", REG_SZ, String(1, '\0'), "OnlyZero", ""},
        {"NoData", REG_DWORD, "", "NoData", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scratch.SetValue("", c.name, c.type, c.bytes);
        TRegistry registry;
        ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
        EXPECT_EQ(registry.ReadText(c.readAs), c.text);
    }
}

TEST_F(RegistryRead, MissingValueOrNoOpenKeyGivesEmptyText) {
    TRegistry registry;
    EXPECT_EQ(registry.ReadText("ICQPath"), "");
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    EXPECT_EQ(registry.ReadText("ICQPath"), "");
}

TEST_F(RegistryRead, EveryOtherTypeIsRefusedEvenWhenItHoldsText) {
    struct Case {
        DWORD type;
        String bytes;
    };
    const Case cases[] = {
        {REG_BINARY, String("C:\\ICQ\\\0", 8)},
        {REG_DWORD, String("\x01\0\0\0", 4)},
        {REG_DWORD_BIG_ENDIAN, String("\0\0\0\x01", 4)},
        {REG_MULTI_SZ, String("C:\\ICQ\\\0\0", 9)},
        {REG_NONE, "C:\\ICQ\\"},
        {REG_QWORD, String("\x01\0\0\0\0\0\0\0", 8)},
        {REG_LINK, "\\Registry\\x"},
        {REG_RESOURCE_LIST, String("\0\0\0\0", 4)},
        {99, "odd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        scratch.SetValue("", "ICQPath", c.type, c.bytes);
        TRegistry registry;
        ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
        EXPECT_RAISE(ERegistryException, registry.ReadText("ICQPath"),
                     "'ICQPath' のﾃﾞｰﾀ型が不正です");
        EXPECT_TRUE(registry.HasOpenKey());
        EXPECT_TRUE(registry.HasValue("ICQPath"));
    }
}

TEST_F(RegistryRead, HasValueForAnyTypeAndLength) {
    scratch.SetValue("", "99b Database", REG_DWORD, String("\0\0\0\0", 4));
    scratch.SetValue("", "Nothing", REG_NONE, "");
    scratch.SetText("", "Text", "x");
    TRegistry registry;
    EXPECT_FALSE(registry.HasValue("Text"));
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    EXPECT_TRUE(registry.HasValue("99b Database"));
    EXPECT_TRUE(registry.HasValue("Nothing"));
    EXPECT_TRUE(registry.HasValue("TEXT"));
    EXPECT_FALSE(registry.HasValue("Missing"));
}

TEST_F(RegistryRead, ValueTypeNamesTheTypeAndNeverRaises) {
    scratch.SetText("", "Text", "MS Sans Serij");
    scratch.SetValue("", "Expand", REG_EXPAND_SZ, String("MS Sans Serij", 14));
    scratch.SetValue("", "Number", REG_DWORD, String("\0\0\0\0", 4));
    TRegistry registry;
    EXPECT_EQ(registry.ValueType("Text"), kNoValueType) << "no key open";
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    EXPECT_EQ(registry.ValueType("Text"), kTextValueType);
    EXPECT_EQ(registry.ValueType("Expand"), REG_EXPAND_SZ);
    EXPECT_EQ(registry.ValueType("Number"), REG_DWORD);
    EXPECT_EQ(registry.ValueType("Missing"), kNoValueType);
}

using RegistryList = RegistryTest;

TEST_F(RegistryList, GivesTheDirectSubkeysOnly) {
    for (const char* name : {"10001", "20002", "30003\\Message Archive"})
        scratch.CreateKey(name);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    TStringList list;
    registry.ListSubkeys(list);
    EXPECT_EQ(SortedItems(list), (std::vector<String>{"10001", "20002", "30003"}));
}

TEST_F(RegistryList, ReplacesWhatTheListHeld) {
    scratch.CreateKey("Owners\\1");
    TStringList list;
    list.Add("old");
    list.Add("older");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Below("Owners")));
    registry.ListSubkeys(list);
    EXPECT_EQ(SortedItems(list), (std::vector<String>{"1"}));
    ASSERT_TRUE(registry.OpenExisting("1"));
    registry.ListSubkeys(list);
    EXPECT_EQ(list.Count(), 0);
    registry.CloseCurrent();
    list.Add("again");
    registry.ListSubkeys(list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(RegistryList, NameOfTheLongestLengthComesOutWhole) {
    const String longest(200, 'n');
    scratch.CreateKey(longest);
    scratch.CreateKey("short");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    TStringList list;
    registry.ListSubkeys(list);
    EXPECT_EQ(SortedItems(list), (std::vector<String>{longest, "short"}));
}

TEST_F(RegistryList, DoubleByteNamesComeOutWholeOnADoubleByteSystem) {
    // Each name is longest in bytes but not in characters: only the doubled
    // buffer holds them.
    const std::vector<String> names = {"所有者一二三四五", "ｵｰﾅｰ", "abcdefgh"};
    for (const String& name : names)
        scratch.CreateKey(name);
    const SystemFacts& facts = GetSystemFacts();
    ASSERT_TRUE(facts.DbcsEnabled && facts.NtPlatform)
        << "the bench runs a Japanese NT-family system";
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    TStringList list;
    registry.ListSubkeys(list);
    std::vector<String> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedItems(list), expected);
}

using RegistryWrite = RegistryTest;

TEST_F(RegistryWrite, StoresStringDataWithOneTerminatingZero) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    registry.WriteText("New Font Name", "MS Sans Serij");
    registry.WriteText("名前", "ｺﾙｳﾞｪﾙ");
    registry.WriteText("Empty", "");
    EXPECT_EQ(scratch.GetValue("", "New Font Name"), Text("MS Sans Serij"));
    EXPECT_EQ(scratch.GetValue("", "名前"), Text("ｺﾙｳﾞｪﾙ"));
    EXPECT_EQ(scratch.GetValue("", "Empty"), (ScratchKey::Value{REG_SZ, String(1, '\0')}));
}

TEST_F(RegistryWrite, ReplacesAValueOfAnyType) {
    scratch.SetValue("", "New Font Name", REG_DWORD, String("\x07\0\0\0", 4));
    scratch.SetText("", "Other", "kept");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    registry.WriteText("New Font Name", "MS Sans Serij");
    EXPECT_EQ(scratch.GetValue("", "New Font Name"), Text("MS Sans Serij"));
    EXPECT_EQ(scratch.GetValue("", "Other"), Text("kept"));
}

using RegistryClose = RegistryTest;

TEST_F(RegistryClose, ClosingTwiceDoesNothingTheSecondTime) {
    scratch.SetText("", "ICQPath", "C:\\ICQ\\");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    registry.CloseCurrent();
    EXPECT_FALSE(registry.HasOpenKey());
    EXPECT_EQ(registry.ActivePath(), "");
    registry.CloseCurrent();
    EXPECT_FALSE(registry.HasOpenKey());
    EXPECT_FALSE(registry.HasValue("ICQPath"));
    EXPECT_EQ(registry.ReadText("ICQPath"), "");
    // Open again on the same object: a closed object is as good as a new one.
    ASSERT_TRUE(registry.OpenExisting(scratch.Path()));
    EXPECT_EQ(registry.ReadText("ICQPath"), "C:\\ICQ\\");
}

} // namespace
} // namespace vorn
