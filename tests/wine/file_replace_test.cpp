// Replacing a file whole on real files in a scratch folder: the new bytes in
// place with no other file left beside them, and, when the rename that puts
// them in place is refused, the old file as it was and no temporary file.
#include "host/file_replace.h"
#include "tests/wine/testkit.h"

#include <vector>

namespace vorn {
namespace {

using testkit::ScratchFolder;

// The names in `folder`, without "." and "..".
std::vector<String> NamesIn(const String& folder) {
    std::vector<String> names;
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search) return names;
    do {
        const String name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search.Get(), &found));
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
    ReplaceWholeFile(target, content);
    EXPECT_FILE_BYTES(target, original);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<String>{"ICQCore.dll"});

    TMemoryStream empty;
    ReplaceWholeFile(target, empty);
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
        EXPECT_RAISE(EFCreateError, ReplaceWholeFile(target, content),
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
    EXPECT_RAISE(EFCreateError, ReplaceWholeFile(target, content),
                 "ﾌｧｲﾙ " + target + " を作成できません");
    EXPECT_TRUE(NamesIn(folder.Path()).empty());
}

} // namespace
} // namespace vorn
