// The folder part of a code page 932 path, which the file replacement puts
// its new file in.
#include "host/file_replace.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(FolderOf, KeepsEverythingUpToTheLastRealBackslash) {
    const struct {
        String path, folder;
    } cases[] = {
        {"C:\\ICQ\\ICQCore.dll", "C:\\ICQ\\"},
        {"C:\\ICQCore.dll", "C:\\"},
        {"Icq.exe", ""},
        {"", ""},
        {"C:\\ICQ\\", "C:\\ICQ\\"},
        // 表 ends in 0x5C: its second byte is no separator.
        {"C:\\表\\Icq.exe", "C:\\表\\"},
        {"表Icq.exe", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
}

} // namespace
} // namespace vorn
