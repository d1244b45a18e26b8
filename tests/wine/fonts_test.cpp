// Korvel.fon and KorvFix.fon on Wine's GDI: they load, enumerate as Shift_JIS
// raster faces with the metrics VORN relies on, and the face names VORN writes
// into client programs reach them through the font substitutes.
//
// Usage: fonts_test FONTDIR [gtest options]; FONTDIR holds both .fon files and
// may be a Unix path (taken as drive Z:). The substitute check runs in a child
// process: Wine reads the substitutes once, when a process starts.
#include "host/handles_win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vorn::ScopedFont;
using vorn::ScopedKey;
using vorn::ScopedMemoryDc;
using vorn::ScopedSelect;

std::string FontDir;
const char* const kChildSwitch = "--substitute-child";
const char* const kSubstitutesKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path.insert(0, "Z:");
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string FontFile(const char* name) {
    return FontDir + "\\" + name;
}

class PrivateFonts {
  public:
    PrivateFonts() {
        for (const char* name : {"Korvel.fon", "KorvFix.fon"}) {
            const std::string path = FontFile(name);
            added_[path] = AddFontResourceExA(path.c_str(), FR_PRIVATE, nullptr);
        }
    }
    ~PrivateFonts() {
        for (const auto& [path, count] : added_)
            if (count > 0) RemoveFontResourceExA(path.c_str(), FR_PRIVATE, nullptr);
    }
    int added(const char* name) const { return added_.at(FontFile(name)); }

  private:
    std::map<std::string, int> added_;
};

// A DC compatible with the screen.
struct ScreenDc : ScopedMemoryDc {
    ScreenDc() : ScopedMemoryDc(CreateCompatibleDC(nullptr)) {}
};

// A font selected into a DC for the lifetime of the object.
class SelectedFont {
  public:
    SelectedFont(HDC dc, const char* face, int height = 0)
        : dc_(dc), font_(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH, face)),
          selected_(dc, font_.Get()) {}
    std::string Face() const {
        char name[LF_FACESIZE] = {};
        GetTextFaceA(dc_, sizeof name, name);
        return name;
    }
    TEXTMETRICA Metrics() const {
        TEXTMETRICA tm{};
        GetTextMetricsA(dc_, &tm);
        return tm;
    }
    int Width(unsigned char code) const {
        INT w = -1;
        GetCharWidth32A(dc_, code, code, &w);
        return w;
    }

  private:
    HDC dc_;
    ScopedFont font_;
    ScopedSelect selected_;
};

// What sets one face apart from another: metrics, every cell width, and the
// pixels of a line of ASCII and katakana drawn with it.
std::string Fingerprint(HDC dc, const char* face) {
    const SelectedFont font(dc, face);
    const TEXTMETRICA tm = font.Metrics();
    std::ostringstream out;
    out << "height " << tm.tmHeight << " avg " << tm.tmAveCharWidth << " max " << tm.tmMaxCharWidth
        << " charset " << int(tm.tmCharSet) << " widths";
    for (int code = 0x20; code <= 0xDF; ++code)
        out << ' ' << font.Width(code);

    const char sample[] = "Wa\xB1\xB2\xB3\xDE";
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 64;
    info.bmiHeader.biHeight = -24;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const vorn::ScopedBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const ScopedSelect selected(dc, bitmap.Get());
    RECT all{0, 0, 64, 24};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 0, sample, sizeof sample - 1);
    GdiFlush();
    out << " pixels ";
    const auto* pixel = static_cast<const DWORD*>(bits);
    for (int i = 0; i < 64 * 24; ++i)
        out << ((pixel[i] & 0xFFFFFF) == 0xFFFFFF ? '.' : '#');
    return out.str();
}

struct EnumeratedFace {
    std::string face;
    int charSet;
    DWORD fontType;
    TEXTMETRICA metrics;
};

int CALLBACK CollectFace(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD type, LPARAM param) {
    reinterpret_cast<std::vector<EnumeratedFace>*>(param)->push_back(
        {lf->lfFaceName, lf->lfCharSet, type, *tm});
    return 1;
}

std::vector<EnumeratedFace> EnumerateFace(const char* face) {
    const ScreenDc dc;
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
    std::vector<EnumeratedFace> found;
    EnumFontFamiliesExA(dc.Get(), &wanted, CollectFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

TEST(BitmapFontFiles, BothFilesLoadAsPrivateFonts) {
    const PrivateFonts fonts;
    EXPECT_GT(fonts.added("Korvel.fon"), 0) << FontFile("Korvel.fon");
    EXPECT_GT(fonts.added("KorvFix.fon"), 0) << FontFile("KorvFix.fon");
}

void ExpectRasterShiftJisFace(const char* face, bool proportional) {
    SCOPED_TRACE(face);
    const auto found = EnumerateFace(face);
    ASSERT_FALSE(found.empty()) << "EnumFontFamiliesExA does not list " << face;
    for (const EnumeratedFace& entry : found) {
        EXPECT_EQ(entry.face, face);
        EXPECT_EQ(entry.charSet, SHIFTJIS_CHARSET);
        EXPECT_TRUE(entry.fontType & RASTER_FONTTYPE) << "font type " << entry.fontType;
        // TMPF_FIXED_PITCH set means variable pitch.
        EXPECT_EQ((entry.metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) != 0, proportional);
        EXPECT_EQ(entry.metrics.tmMaxCharWidth, 2 * entry.metrics.tmAveCharWidth);
    }
}

TEST(BitmapFontFiles, EnumerateAsShiftJisRasterFaces) {
    const PrivateFonts fonts;
    ExpectRasterShiftJisFace("Korvel", true);
    ExpectRasterShiftJisFace("KorvelFix", false);
}

TEST(BitmapFontFiles, OfferTenAndTwelvePixelSizes) {
    const PrivateFonts fonts;
    const ScreenDc dc;
    for (const char* face : {"Korvel", "KorvelFix"}) {
        for (int em : {10, 12}) {
            SCOPED_TRACE(std::string(face) + " at " + std::to_string(em) + " px");
            const SelectedFont font(dc.Get(), face, -em);
            const TEXTMETRICA tm = font.Metrics();
            EXPECT_EQ(font.Face(), face);
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, em);
        }
    }
}

TEST(BitmapFontFiles, ProportionalFaceVariesWidthsFixedFaceDoesNot) {
    const PrivateFonts fonts;
    const ScreenDc dc;
    const SelectedFont korvel(dc.Get(), "Korvel", -12);
    EXPECT_LT(korvel.Width('i'), korvel.Width('W'));
    const SelectedFont fixed(dc.Get(), "KorvelFix", -12);
    EXPECT_EQ(fixed.Width('i'), fixed.Width('W'));
    EXPECT_EQ(fixed.Width('i'), fixed.Width(0xB1)) << "half-width katakana A";
    EXPECT_EQ(fixed.Width('i'), fixed.Metrics().tmAveCharWidth);
}

// Substitute entries in the registry, put back as they were afterwards.
class RegistrySubstitutes {
  public:
    explicit RegistrySubstitutes(const std::map<std::string, std::string>& entries) {
        status_ = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSubstitutesKey, 0, nullptr, 0,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.Put(), nullptr);
        if (status_ != ERROR_SUCCESS) return;
        for (const auto& [name, value] : entries) {
            char old[256];
            DWORD size = sizeof old, type = 0;
            if (RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS)
                saved_[name] = std::string(old, size ? size - 1 : 0);
            else
                saved_[name].reset();
            status_ = RegSetValueExA(key_.Get(), name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1));
            if (status_ != ERROR_SUCCESS) return;
        }
    }
    ~RegistrySubstitutes() {
        if (!key_) return;
        for (const auto& [name, old] : saved_) {
            if (old)
                RegSetValueExA(key_.Get(), name.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(old->c_str()),
                               static_cast<DWORD>(old->size() + 1));
            else
                RegDeleteValueA(key_.Get(), name.c_str());
        }
    }
    LONG status() const { return status_; }

  private:
    ScopedKey key_;
    LONG status_ = ERROR_SUCCESS;
    std::map<std::string, std::optional<std::string>> saved_;
};

std::string ThisProgram() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Starts this program as the substitute child; returns "NAME|FINGERPRINT" lines by name.
std::map<std::string, std::string> RunChild() {
    char tempDir[MAX_PATH], resultFile[MAX_PATH];
    GetTempPathA(MAX_PATH, tempDir);
    GetTempFileNameA(tempDir, "kfn", 0, resultFile);
    std::ostringstream command;
    command << '"' << ThisProgram() << "\" " << kChildSwitch << " \"" << FontDir << "\" \""
            << resultFile << '"';
    std::string commandLine = command.str();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::map<std::string, std::string> lines;
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        const vorn::ScopedProcess owned(process);
        WaitForSingleObject(process.hProcess, 60000);
        std::ifstream in(resultFile);
        for (std::string line; std::getline(in, line);) {
            const auto bar = line.find('|');
            if (bar != std::string::npos) lines[line.substr(0, bar)] = line.substr(bar + 1);
        }
    }
    DeleteFileA(resultFile);
    return lines;
}

int SubstituteChild(const char* fontDir, const char* resultFile) {
    FontDir = WindowsPath(fontDir);
    const PrivateFonts fonts;
    const ScreenDc dc;
    std::ofstream out(resultFile);
    for (const char* face : {"MS Sans Serij", "Ariaj", "Korvel", "KorvelFix"}) {
        const SelectedFont font(dc.Get(), face);
        out << face << "|" << Fingerprint(dc.Get(), face) << "\n";
        out << "face of " << face << "|" << font.Face() << "\n";
    }
    return out.flush() ? 0 : 1;
}

// Wine 8 reads substitutes from the registry only (not from win.ini), and
// keeps an entry only when both sides name the same character set: the
// run's "Korvel,128,3" under the bare key "MS Sans Serij" is dropped there, so
// this check writes the form Wine takes.
TEST(FontSubstitutes, RewrittenFaceNamesDrawWithKorvelFaces) {
    const RegistrySubstitutes substitutes(
        {{"MS Sans Serij,128", "Korvel,128"}, {"Ariaj,128", "KorvelFix,128"}});
    ASSERT_EQ(substitutes.status(), ERROR_SUCCESS) << "cannot write HKLM\\" << kSubstitutesKey;
    const auto child = RunChild();
    ASSERT_EQ(child.size(), 8u) << "the child process reported no result";

    EXPECT_EQ(child.at("MS Sans Serij"), child.at("Korvel"));
    EXPECT_EQ(child.at("Ariaj"), child.at("KorvelFix"));
    EXPECT_NE(child.at("Korvel"), child.at("KorvelFix"));
    EXPECT_EQ(child.at("face of Korvel"), "Korvel");
    EXPECT_EQ(child.at("face of KorvelFix"), "KorvelFix");
    // GDI reports a substituted font under the name it was asked for.
    EXPECT_EQ(child.at("face of MS Sans Serij"), "MS Sans Serij");
}

TEST(FontSubstitutes, WithoutEntriesTheRewrittenNamesGetAnotherFace) {
    const auto child = RunChild();
    ASSERT_EQ(child.size(), 8u) << "the child process reported no result";
    EXPECT_NE(child.at("MS Sans Serij"), child.at("Korvel"));
    EXPECT_NE(child.at("Ariaj"), child.at("KorvelFix"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == kChildSwitch) return SubstituteChild(argv[2], argv[3]);
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fonts_test FONTDIR [gtest options]\n");
        return 2;
    }
    FontDir = WindowsPath(argv[1]);
    return RUN_ALL_TESTS();
}
