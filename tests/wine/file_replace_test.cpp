// Replacing a file whole on real files in a scratch folder: the new bytes in
// place with no other file left beside them, and, when the rename that puts
// them in place is refused, the old file as it was and no temporary file. On
// the road of Windows 95, 98 and ME (taken here through its seam), the old
// bytes wait under the aside name, and what that road refuses.
#include "host/file_replace.h"
#include "host/file_replace_testing_win32.h"
#include "tests/wine/testkit.h"

#include <algorithm>
#include <vector>

namespace vorn {
namespace {

using testkit::ScratchFolder;

// The names in `folder`, without "." and "..", sorted.
std::vector<String> NamesIn(const String& folder) {
    std::vector<String> names;
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search) return names;
    do {
        const String name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

void Fill(TMemoryStream& stream, const String& bytes) {
    stream.WriteBytes(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

class FileReplaceTest : public testing::Test {
  protected:
    ScratchFolder folder;
};

TEST_F(FileReplaceTest, NewBytesTakeThePlaceAndNothingElseIsLeft) {
    const String target = folder.File("ICQCore.dll");
    testkit::WriteFileBytes(target, String(20000, 'J'));
    const String original("MZ\0\x01MS Sans Serif\xFF", 19);
    TMemoryStream content;
    Fill(content, original);
    ReplaceWholeFile(target, content, folder.File("VORN.NEW"));
    EXPECT_FILE_BYTES(target, original);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<String>{"ICQCore.dll"});

    TMemoryStream empty;
    ReplaceWholeFile(target, empty, folder.File("VORN.NEW"));
    EXPECT_FILE_BYTES(target, "");
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<String>{"ICQCore.dll"});
}

// The rename is the last step: the new file is already written and flushed
// when the platform refuses to put it in place of a target that another
// process holds open. (A read-only target is refused by Windows only; Wine
// replaces it.)
TEST_F(FileReplaceTest, RefusedRenameLeavesTheTargetAndNoTemporaryFile) {
    const String target = folder.File("ICQCore.dll");
    const String before = "MS Sans Serij patched";
    testkit::WriteFileBytes(target, before);
    TMemoryStream content;
    Fill(content, "MS Sans Serif original");
    {
        testkit::FileHeldElsewhere holder(target);
        ASSERT_TRUE(holder.Holding());
        EXPECT_RAISE(EFCreateError, ReplaceWholeFile(target, content, folder.File("VORN.NEW")),
                     "ﾌｧｲﾙ " + target + " を作成できません");
        EXPECT_EQ(NamesIn(folder.Path()), std::vector<String>{"ICQCore.dll"});
    }
    EXPECT_FILE_BYTES(target, before);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<String>{"ICQCore.dll"});
}

TEST_F(FileReplaceTest, MissingFolderRaisesAndCreatesNothing) {
    const String target = folder.File("no folder\\Icq.exe");
    TMemoryStream content;
    Fill(content, "x");
    EXPECT_RAISE(EFCreateError, ReplaceWholeFile(target, content, folder.File("VORN.NEW")),
                 "ﾌｧｲﾙ " + target + " を作成できません");
    EXPECT_TRUE(NamesIn(folder.Path()).empty());
}

TEST_F(FileReplaceTest, ByRenamesTheOldBytesWaitAsideForTheCaller) {
    const String target = folder.File("ICQCore.dll");
    const String aside = folder.File("VORN.NEW");
    testkit::WriteFileBytes(target, "MS Sans Serij patched");
    TMemoryStream content;
    Fill(content, "MS Sans Serif original");
    ReplaceWholeFileByRenames(target, content, aside);
    EXPECT_FILE_BYTES(target, "MS Sans Serif original");
    EXPECT_FILE_BYTES(aside, "MS Sans Serij patched");
    EXPECT_EQ(NamesIn(folder.Path()), (std::vector<String>{"ICQCore.dll", "VORN.NEW"}));

    // What a stop between the two renames leaves: no target, the old bytes
    // aside. The new file goes to the absent name; the aside file is the
    // caller's.
    ASSERT_TRUE(DeleteFileA(target.c_str()));
    ReplaceWholeFileByRenames(target, content, aside);
    EXPECT_FILE_BYTES(target, "MS Sans Serif original");
    EXPECT_FILE_BYTES(aside, "MS Sans Serij patched");
    EXPECT_EQ(NamesIn(folder.Path()), (std::vector<String>{"ICQCore.dll", "VORN.NEW"}));
}

// Windows refuses a read-only target on the other road; this one refuses it
// itself (Windows 98's rename would move it aside). A name already taken
// aside is never overwritten.
TEST_F(FileReplaceTest, ByRenamesRefusesAReadOnlyTargetOrATakenAsideName) {
    const String target = folder.File("ICQCore.dll");
    const String aside = folder.File("VORN.NEW");
    TMemoryStream content;
    Fill(content, "MS Sans Serif original");
    testkit::WriteFileBytes(target, "MS Sans Serij patched");
    testkit::SetReadOnly(target, true);
    EXPECT_RAISE(EFCreateError, ReplaceWholeFileByRenames(target, content, aside),
                 "ﾌｧｲﾙ " + target + " を作成できません");
    EXPECT_FILE_BYTES(target, "MS Sans Serij patched");
    EXPECT_NE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<String>{"ICQCore.dll"});

    testkit::SetReadOnly(target, false);
    testkit::WriteFileBytes(aside, "someone's own");
    EXPECT_RAISE(EFCreateError, ReplaceWholeFileByRenames(target, content, aside),
                 "ﾌｧｲﾙ " + target + " を作成できません");
    EXPECT_FILE_BYTES(target, "MS Sans Serij patched");
    EXPECT_FILE_BYTES(aside, "someone's own");
    EXPECT_EQ(NamesIn(folder.Path()), (std::vector<String>{"ICQCore.dll", "VORN.NEW"}));
}

} // namespace
} // namespace vorn
