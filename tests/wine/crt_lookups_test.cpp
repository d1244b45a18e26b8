// The kit programs' stand-ins for the C runtime (tools/kit_runtime): each
// gives what msvcrt.dll's own function gives, its fallback for an older
// msvcrt.dll too, and the C++ library reaches them where it calls the
// runtime (file streams, locale, random_device).
#include "tools/kit_runtime/crt_lookups_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <clocale>
#include <cstdio>
#include <fstream>
#include <io.h>
#include <locale>
#include <random>
#include <string>

namespace vorn::kit_runtime {
namespace {

template <typename Function> Function FromMsvcrt(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), name)));
}

// A file of known bytes in the temp folder, removed afterwards.
class ScratchFile {
  public:
    explicit ScratchFile(const std::string& bytes) {
        char folder[MAX_PATH];
        char name[MAX_PATH];
        EXPECT_NE(GetTempPathA(MAX_PATH, folder), 0u);
        EXPECT_NE(GetTempFileNameA(folder, "VRN", 0, name), 0u);
        path_ = name;
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~ScratchFile() { DeleteFileA(path_.c_str()); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

TEST(CrtLookups, CodePageFollowsTheCLocaleAsMsvcrtsOwnDoes) {
    using Own = unsigned(__cdecl*)();
    const Own own = FromMsvcrt<Own>("___lc_codepage_func");
    for (const char* locale : {"C", ".932", ".1252"}) {
        ASSERT_NE(std::setlocale(LC_CTYPE, locale), nullptr) << locale;
        if (own) {
            EXPECT_EQ(CodePageOfCLocale(), own()) << locale;
        }
    }
    std::setlocale(LC_CTYPE, ".932");
    EXPECT_EQ(CodePageOfCLocale(), 932u);
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(CodePageOfCLocale(), 0u);
}

TEST(CrtLookups, StatusOfAnOpenFileIsMsvcrtsOwnAndTheFallbackAgrees) {
    ScratchFile file("12345");
    FILE* stream = std::fopen(file.Path().c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    using Own = int(__cdecl*)(int, struct _stat64*);
    const Own own = FromMsvcrt<Own>("_fstat64");
    ASSERT_NE(own, nullptr) << "the bench's msvcrt.dll is newer than ME's";
    struct _stat64 expected {};
    ASSERT_EQ(own(_fileno(stream), &expected), 0);
    struct _stat64 found {};
    struct _stat64 fallback {};
    EXPECT_EQ(StatOpenFile(_fileno(stream), &found), 0);
    EXPECT_EQ(StatThroughOlderCall(_fileno(stream), &fallback), 0);
    std::fclose(stream);
    for (const struct _stat64* status : {&found, &fallback}) {
        EXPECT_EQ(status->st_size, 5);
        EXPECT_EQ(status->st_size, expected.st_size);
        EXPECT_EQ(status->st_mode, expected.st_mode);
        EXPECT_EQ(status->st_mtime, expected.st_mtime);
        EXPECT_EQ(status->st_atime, expected.st_atime);
        EXPECT_EQ(status->st_ctime, expected.st_ctime);
    }
}

TEST(CrtLookups, StatusOfAClosedDescriptorFailsAsMsvcrtsOwn) {
    struct _stat64 status {};
    EXPECT_EQ(StatOpenFile(-1, &status), -1);
    EXPECT_EQ(StatThroughOlderCall(-1, &status), -1);
}

TEST(CrtLookups, RandomNumbersAreDrawn) {
    unsigned values[4] = {};
    for (unsigned& value : values)
        ASSERT_EQ(RandomNumber(&value), 0);
    // Four equal draws: one chance in 2^96.
    EXPECT_FALSE(values[0] == values[1] && values[1] == values[2] && values[2] == values[3]);
}

// The C++ library calls the runtime by the names this program now defines.
TEST(CrtLookups, TheLibraryReachesTheStandIns) {
    ScratchFile file("123456789");
    std::ifstream stream(file.Path(), std::ios::binary);
    ASSERT_TRUE(stream.is_open());
    // A file stream counts what it can still read through _fstat64.
    EXPECT_EQ(stream.rdbuf()->in_avail(), 9);
    // Widening narrow characters asks for the C locale's code page.
    EXPECT_EQ(std::use_facet<std::ctype<wchar_t>>(std::locale()).widen('a'), L'a');
    std::random_device device;
    EXPECT_NO_THROW(device());
}

} // namespace
} // namespace vorn::kit_runtime
