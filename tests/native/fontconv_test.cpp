// The font converter: BDF reading, cell building, and the .fon it writes,
// read back here with offsets of the test's own so that a fault shared by the
// converter's writer and reader does not hide itself.
#include "tools/fontconv/bdf_reader.h"
#include "tools/fontconv/fnt_format.h"
#include "tools/fontconv/font_check.h"
#include "tools/fontconv/ne_font_file.h"
#include "tools/fontconv/raster_font.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace vorn::fontconv {
namespace {

// A made-up half-width font: every code of 0x20-0x7E and 0xA1-0xDF has a glyph
// whose advance depends on the code, unless `fixedAdvance` is given.
struct TestFace {
    int pixelSize = 10;
    int ascent = 8;
    int descent = 2;
    int fixedAdvance = 0;

    int Advance(int code) const { return fixedAdvance ? fixedAdvance : 3 + code % 4; }
};

std::string GlyphText(int code, int advance, int width, int height, int xOffset, int yOffset,
                      const std::vector<std::string>& rows) {
    std::ostringstream out;
    out << "STARTCHAR c" << code << "\nENCODING " << code << "\nSWIDTH 500 0\nDWIDTH " << advance
        << " 0\nBBX " << width << ' ' << height << ' ' << xOffset << ' ' << yOffset << "\nBITMAP\n";
    for (const auto& row : rows)
        out << row << '\n';
    out << "ENDCHAR\n";
    return out.str();
}

// 'A' is drawn as a known 3x3 picture: top row 0xA0 (x.x), middle 0x40 (.x.),
// bottom 0xE0 (xxx), standing on the baseline one column right of the origin.
std::string BdfText(const TestFace& face, const std::string& extraGlyphs = "") {
    std::ostringstream out;
    out << "STARTFONT 2.1\nFONT -test-face-medium-r-normal--" << face.pixelSize
        << "-0-75-75-P-0-jisx0201.1976-0\nSIZE " << face.pixelSize << " 75 75\n"
        << "FONTBOUNDINGBOX 8 " << face.ascent + face.descent << " 0 " << -face.descent
        << "\nSTARTPROPERTIES 3\nPIXEL_SIZE " << face.pixelSize << "\nFONT_ASCENT " << face.ascent
        << "\nFONT_DESCENT " << face.descent << "\nENDPROPERTIES\nCHARS 0\n";
    for (int code = 0x20; code <= 0xDF; ++code) {
        if ((code > 0x7E && code < 0xA1) ||
            extraGlyphs.find("ENCODING " + std::to_string(code) + "\n") != std::string::npos)
            continue;
        const int advance = face.Advance(code);
        if (code == 'A')
            out << GlyphText(code, advance, 3, 3, 1, 0, {"A0", "40", "E0"});
        else
            out << GlyphText(code, advance, 1, 1, 0, 0, {"80"});
    }
    out << extraGlyphs << "ENDFONT\n";
    return out.str();
}

BdfFont ParseBdf(const std::string& text) {
    std::istringstream in(text);
    return ReadBdf(in);
}

FaceOptions Options(Pitch pitch, const std::string& face = "TestFace") {
    FaceOptions options;
    options.faceName = face;
    options.copyright = "test glyphs";
    options.pitch = pitch;
    options.family = pitch == Pitch::Fixed ? Family::Modern : Family::Swiss;
    return options;
}

Bytes FonFrom(const std::vector<TestFace>& faces, Pitch pitch, unsigned version) {
    std::vector<Bytes> fnts;
    for (const TestFace& face : faces)
        fnts.push_back(WriteFnt(BuildRasterFont(ParseBdf(BdfText(face)), Options(pitch)), version));
    return WriteFon("TESTMOD", "FONTRES 100,96,96 : TestFace", fnts);
}

// --- independent reading of the written file ---

unsigned U8(const Bytes& b, std::size_t at) {
    return b.at(at);
}
unsigned U16(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8;
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}
std::string CString(const Bytes& b, std::size_t at) {
    std::string s;
    while (b.at(at) != 0)
        s.push_back(static_cast<char>(b.at(at++)));
    return s;
}

struct Resource {
    unsigned type;
    unsigned id;
    std::size_t offset;
    std::size_t length;
};

std::vector<Resource> Resources(const Bytes& file) {
    const std::size_t ne = U32(file, 0x3C);
    std::size_t at = ne + U16(file, ne + 0x24);
    const unsigned shift = U16(file, at);
    at += 2;
    std::vector<Resource> found;
    while (const unsigned type = U16(file, at)) {
        const unsigned count = U16(file, at + 2);
        at += 8;
        for (unsigned i = 0; i < count; ++i, at += 12)
            found.push_back({type, U16(file, at + 6), std::size_t{U16(file, at)} << shift,
                             std::size_t{U16(file, at + 2)} << shift});
    }
    return found;
}

Bytes FontResource(const Bytes& file, unsigned ordinal) {
    for (const Resource& r : Resources(file))
        if (r.type == 0x8008 && r.id == (0x8000 | ordinal))
            return Bytes(file.begin() + r.offset, file.begin() + r.offset + r.length);
    ADD_FAILURE() << "no FONT resource " << ordinal;
    return {};
}

// Glyph table entry of `code` in a version 2 or 3 FNT: width and bitmap offset.
std::pair<unsigned, std::uint32_t> GlyphEntry(const Bytes& fnt, unsigned code) {
    const bool v3 = U16(fnt, 0) == 0x300;
    const std::size_t at = (v3 ? 148 : 118) + (code - U8(fnt, 95)) * (v3 ? 6 : 4);
    return {U16(fnt, at), v3 ? U32(fnt, at + 2) : U16(fnt, at + 2)};
}

void ExpectFontHeader(const Bytes& fnt, unsigned version, int pixelHeight, bool proportional) {
    SCOPED_TRACE("font of height " + std::to_string(pixelHeight));
    EXPECT_EQ(U16(fnt, 0), version);
    // The resource length is rounded up to 16 bytes; dfSize is exact.
    EXPECT_LE(U32(fnt, 2), fnt.size()) << "dfSize";
    EXPECT_GT(U32(fnt, 2) + 16, fnt.size()) << "dfSize";
    EXPECT_LT(U32(fnt, 105), U32(fnt, 2)) << "face name inside the font";
    EXPECT_EQ(U8(fnt, 85), 128u) << "dfCharSet";
    EXPECT_EQ(U16(fnt, 88), static_cast<unsigned>(pixelHeight)) << "dfPixHeight";
    EXPECT_EQ(U8(fnt, 95), 0x20u) << "dfFirstChar";
    EXPECT_EQ(U8(fnt, 96), 0xDFu) << "dfLastChar";
    EXPECT_EQ(U8(fnt, 90) & 1, proportional ? 1u : 0u) << "variable-pitch bit";
    EXPECT_EQ(U8(fnt, 90) & 0xF0, proportional ? 0x20u : 0x30u) << "family";
    const unsigned avg = U16(fnt, 91), max = U16(fnt, 93);
    EXPECT_EQ(avg, GlyphEntry(fnt, 'x').first) << "dfAvgWidth is the width of x";
    EXPECT_EQ(max, 2 * avg) << "dfMaxWidth";
    EXPECT_EQ(U16(fnt, 86), proportional ? 0u : avg) << "dfPixWidth";
    EXPECT_EQ(CString(fnt, U32(fnt, 105)), "TestFace") << "face name";
}

// Pixel (x, y) of a glyph in the column-major FNT layout.
bool Inked(const Bytes& fnt, unsigned code, unsigned x, unsigned y) {
    const auto [width, offset] = GlyphEntry(fnt, code);
    EXPECT_LT(x, width);
    return fnt.at(offset + (x / 8) * U16(fnt, 88) + y) & (0x80 >> (x % 8));
}

class FonFileTest : public testing::TestWithParam<unsigned> {};

TEST_P(FonFileTest, HasDosStubAndNeHeader) {
    const Bytes file = FonFrom({{10, 8, 2}}, Pitch::Proportional, GetParam());
    EXPECT_EQ(U16(file, 0), 0x5A4Du) << "MZ";
    const std::size_t ne = U32(file, 0x3C);
    EXPECT_EQ(U16(file, ne), 0x454Eu) << "NE";
    EXPECT_EQ(U16(file, ne + 0x0C) & 0x8000, 0x8000u) << "a library module";
    EXPECT_EQ(U8(file, ne + 0x36), 2u) << "for Windows";
    const std::size_t nonResident = U32(file, ne + 0x2C);
    EXPECT_EQ(std::string(file.begin() + nonResident + 1,
                          file.begin() + nonResident + 1 + U8(file, nonResident)),
              "FONTRES 100,96,96 : TestFace");
    const std::size_t resident = ne + U16(file, ne + 0x26);
    EXPECT_EQ(
        std::string(file.begin() + resident + 1, file.begin() + resident + 1 + U8(file, resident)),
        "TESTMOD");
}

TEST_P(FonFileTest, ResourceTableHoldsOneFontDirAndOneFontPerSize) {
    const Bytes file =
        FonFrom({{10, 8, 2}, {12, 10, 2}, {14, 11, 3}}, Pitch::Proportional, GetParam());
    const auto resources = Resources(file);
    ASSERT_EQ(resources.size(), 4u);
    EXPECT_EQ(resources[0].type, 0x8007u);
    for (unsigned i = 1; i <= 3; ++i) {
        EXPECT_EQ(resources[i].type, 0x8008u);
        EXPECT_EQ(resources[i].id, 0x8000u | i);
    }
    for (const Resource& r : resources)
        EXPECT_LE(r.offset + r.length, file.size());

    const Bytes dir(file.begin() + resources[0].offset, file.end());
    ASSERT_EQ(U16(dir, 0), 3u) << "FONTDIR count";
    std::size_t at = 2;
    for (unsigned i = 1; i <= 3; ++i) {
        SCOPED_TRACE("FONTDIR entry " + std::to_string(i));
        EXPECT_EQ(U16(dir, at), i) << "font ordinal";
        const Bytes fnt = FontResource(file, i);
        EXPECT_TRUE(std::equal(fnt.begin(), fnt.begin() + 113, dir.begin() + at + 2))
            << "entry repeats the font header";
        at += 2 + 113;
        EXPECT_EQ(CString(dir, at), "") << "device name";
        EXPECT_EQ(CString(dir, at + 1), "TestFace");
        at += 1 + std::string("TestFace").size() + 1;
    }
}

TEST_P(FonFileTest, ProportionalFontHeadersAndGlyphBits) {
    const Bytes file = FonFrom({{10, 8, 2}, {12, 10, 2}}, Pitch::Proportional, GetParam());
    const Bytes small = FontResource(file, 1), large = FontResource(file, 2);
    ExpectFontHeader(small, GetParam(), 10, true);
    ExpectFontHeader(large, GetParam(), 12, true);
    EXPECT_EQ(GlyphEntry(small, 'A').first, 4u) << "advance of A: 3 + 65 % 4";
    // The 3x3 'A' sits one column right and on the baseline (row ascent - 1 is its foot).
    const std::vector<std::string> picture = {".x.x", "..x.", ".xxx"};
    for (unsigned y = 0; y < 3; ++y)
        for (unsigned x = 0; x < 4; ++x)
            EXPECT_EQ(Inked(small, 'A', x, 5 + y), picture[y][x] == 'x') << x << "," << y + 5;
    EXPECT_FALSE(Inked(small, 'A', 1, 4)) << "row above the glyph";
    EXPECT_TRUE(Inked(large, 'A', 3, 9)) << "foot of A in the 12-pixel cell";
}

TEST_P(FonFileTest, FixedFontAnnouncesItsCellWidth) {
    TestFace face{10, 8, 2, 5};
    const Bytes file = FonFrom({face}, Pitch::Fixed, GetParam());
    const Bytes fnt = FontResource(file, 1);
    ExpectFontHeader(fnt, GetParam(), 10, false);
    EXPECT_EQ(U16(fnt, 86), 5u);
    EXPECT_EQ(U16(fnt, 93), 10u);
}

TEST_P(FonFileTest, UndefinedCodesShowTheDefaultChar) {
    const Bytes fnt = FontResource(FonFrom({{10, 8, 2}}, Pitch::Proportional, GetParam()), 1);
    EXPECT_EQ(U8(fnt, 97) + 0x20u, 0xA5u) << "dfDefaultChar is stored relative to dfFirstChar";
    EXPECT_EQ(U8(fnt, 98), 0u) << "dfBreakChar: the space";
    for (unsigned code = 0x7F; code <= 0xA0; ++code)
        EXPECT_EQ(GlyphEntry(fnt, code), GlyphEntry(fnt, 0xA5)) << "code " << code;
    EXPECT_NE(GlyphEntry(fnt, 0xA4).second, GlyphEntry(fnt, 0xA5).second);
}

INSTANTIATE_TEST_SUITE_P(Versions, FonFileTest, testing::Values(0x200u, 0x300u),
                         [](const auto& info) { return "Fnt" + std::to_string(info.param >> 8); });

TEST(FonFile, SameInputGivesSameBytes) {
    EXPECT_EQ(FonFrom({{10, 8, 2}, {12, 10, 2}}, Pitch::Proportional, 0x200),
              FonFrom({{10, 8, 2}, {12, 10, 2}}, Pitch::Proportional, 0x200));
}

TEST(FonFile, CheckSummarisesEveryFont) {
    const std::string summary =
        DescribeFontFile(FonFrom({{10, 8, 2}, {12, 10, 2}}, Pitch::Proportional, 0x200));
    EXPECT_NE(summary.find("module TESTMOD\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("fonts 2\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("font 1: version 0x200 charset 128 chars 0x20-0xDF height 10 em 10"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("font 2: version 0x200 charset 128 chars 0x20-0xDF height 12 em 12"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("pitch proportional face TestFace\n"), std::string::npos) << summary;
}

TEST(FonFile, CheckRejectsAFontDirThatMiscounts) {
    Bytes file = FonFrom({{10, 8, 2}}, Pitch::Proportional, 0x200);
    const Resource dir = Resources(file).at(0);
    file.at(dir.offset) = 2;
    EXPECT_THROW(DescribeFontFile(file), FormatError);
}

TEST(FonFile, ReaderRejectsATruncatedFile) {
    Bytes file = FonFrom({{10, 8, 2}}, Pitch::Proportional, 0x200);
    file.resize(file.size() - 64);
    EXPECT_THROW(ReadFon(file), FormatError);
    EXPECT_THROW(ReadFon(Bytes(10, 0)), FormatError);
}

// --- building cells from BDF glyphs ---

TEST(RasterCells, InkLeftOfTheOriginWidensTheCell) {
    // A 2-pixel hook starting one pixel left of the origin, advance 3.
    const std::string hook = GlyphText('j', 3, 2, 1, -1, -2, {"C0"});
    const RasterFont font =
        BuildRasterFont(ParseBdf(BdfText({10, 8, 2}, hook)), Options(Pitch::Proportional));
    const Cell& cell = font.CellFor('j');
    EXPECT_EQ(cell.width, 4);
    EXPECT_TRUE(cell.Inked(0, 9));
    EXPECT_TRUE(cell.Inked(1, 9));
    EXPECT_FALSE(cell.Inked(2, 9));
}

TEST(RasterCells, GlyphsBeyondTheFontLineGrowTheCell) {
    const std::string tall = GlyphText('|', 3, 1, 12, 0, -3, std::vector<std::string>(12, "80"));
    const RasterFont font =
        BuildRasterFont(ParseBdf(BdfText({10, 8, 2}, tall)), Options(Pitch::Proportional));
    EXPECT_EQ(font.ascent, 9);
    EXPECT_EQ(font.pixelHeight, 12);
    EXPECT_EQ(font.internalLeading, 2);
    EXPECT_EQ(font.points, 8) << "10 px at 96 dpi, rounded";
}

TEST(RasterCells, RefusesFontsTheHeaderCannotDescribe) {
    const std::string text = BdfText({10, 8, 2});
    const auto without = [&](int code) {
        const std::string start = "STARTCHAR c" + std::to_string(code) + "\n";
        std::string copy = text;
        const auto from = copy.find(start);
        copy.erase(from, copy.find("ENDCHAR\n", from) + 8 - from);
        return copy;
    };
    EXPECT_THROW(BuildRasterFont(ParseBdf(without(0xB1)), Options(Pitch::Proportional)),
                 FormatError)
        << "a katakana glyph is missing";
    EXPECT_THROW(BuildRasterFont(ParseBdf(text), Options(Pitch::Fixed)), FormatError)
        << "widths differ in a fixed face";
    const std::string wide = GlyphText('W', 20, 1, 1, 0, 0, {"80"});
    EXPECT_THROW(BuildRasterFont(ParseBdf(BdfText({10, 8, 2}, wide)), Options(Pitch::Proportional)),
                 FormatError)
        << "wider than twice the width of x";
}

TEST(RasterCells, RefusesOutOfBoundsMetricsFromAnySourceWithoutOverflow) {
    const BdfFont good = ParseBdf(BdfText({10, 8, 2}));
    const struct {
        const char* what;
        void (*damage)(BdfFont&);
    } cases[] = {
        {"pixel size", [](BdfFont& f) { f.pixelSize = INT_MAX; }},
        {"ascent", [](BdfFont& f) { f.ascent = INT_MAX; }},
        {"negative descent", [](BdfFont& f) { f.descent = INT_MIN; }},
        {"box reaching far up", [](BdfFont& f) { f.glyphs.at('A').yOffset = INT_MAX; }},
        {"box reaching far down", [](BdfFont& f) { f.glyphs.at('A').yOffset = INT_MIN; }},
        {"advance", [](BdfFont& f) { f.glyphs.at('A').advance = INT_MAX; }},
        {"offset left", [](BdfFont& f) { f.glyphs.at('A').xOffset = INT_MIN; }},
        {"rows missing", [](BdfFont& f) { f.glyphs.at('A').rows.pop_back(); }},
    };
    for (const auto& c : cases) {
        BdfFont font = good;
        c.damage(font);
        EXPECT_THROW(BuildRasterFont(font, Options(Pitch::Proportional)), FormatError) << c.what;
    }
}

// --- reading BDF ---

TEST(BdfReading, RefusesMetricsOutOfBoundsNamingLineAndField) {
    const std::string text = BdfText({10, 8, 2});
    const struct {
        std::string from, to, message;
    } cases[] = {
        {"PIXEL_SIZE 10", "PIXEL_SIZE 1001", "BDF line 6: PIXEL_SIZE 1001 is outside 1..1000"},
        {"FONT_ASCENT 8", "FONT_ASCENT 257", "BDF line 7: FONT_ASCENT 257 is outside 0..256"},
        {"FONT_DESCENT 2", "FONT_DESCENT 249",
         "BDF line 8: FONT_ASCENT + FONT_DESCENT 257 is outside 0..256"},
        {"FONT_DESCENT 2", "FONT_DESCENT 99999999999",
         "BDF line 8: FONT_DESCENT: expected 1 integers of at most 10 digits"},
        {"BBX 3 3 1 0", "BBX 257 3 1 0", "BBX width 257 is outside 0..256"},
        {"BBX 3 3 1 0", "BBX 3 3 -257 0", "BBX x offset -257 is outside -256..256"},
        {"DWIDTH 4 0\nBBX 3", "DWIDTH 257 0\nBBX 3", "DWIDTH x 257 is outside -256..256"},
    };
    for (const auto& c : cases) {
        std::string damaged = text;
        damaged.replace(damaged.find(c.from), c.from.size(), c.to);
        try {
            ParseBdf(damaged);
            ADD_FAILURE() << "accepted " << c.to;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << e.what() << "\nexpected: " << c.message;
        }
    }
}

TEST(BdfReading, ReadsMetricsAndGlyphBits) {
    const BdfFont font = ParseBdf(BdfText({12, 10, 3}));
    EXPECT_EQ(font.pixelSize, 12);
    EXPECT_EQ(font.ascent, 10);
    EXPECT_EQ(font.descent, 3);
    EXPECT_EQ(font.glyphs.size(), 95u + 63u);
    const BdfGlyph& a = font.glyphs.at('A');
    EXPECT_EQ(a.advance, 4);
    EXPECT_EQ(a.xOffset, 1);
    ASSERT_EQ(a.rows.size(), 3u);
    EXPECT_EQ(a.rows[0], (std::vector<bool>{true, false, true}));
    EXPECT_EQ(a.rows[2], (std::vector<bool>{true, true, true}));
}

TEST(BdfReading, ReportsTheLineOfADamagedFile) {
    std::string text = BdfText({10, 8, 2});
    text.replace(text.find("A0\n"), 3, "G0\n");
    try {
        ParseBdf(text);
        FAIL() << "accepted a bitmap row that is not hexadecimal";
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("BDF line "), std::string::npos) << e.what();
    }
    EXPECT_THROW(ParseBdf("STARTFONT 2.1\nPIXEL_SIZE 10\n"), FormatError) << "no ENDFONT";
    EXPECT_THROW(ParseBdf("STARTFONT 2.1\nPIXEL_SIZE 10\nENDFONT\n"), FormatError)
        << "no FONT_ASCENT";
    EXPECT_THROW(ParseBdf("hello\n"), FormatError) << "not BDF";
}

TEST(BdfReading, ReadsAFileAndNamesItInErrors) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("fontconv_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = (dir / "face.bdf").string();
    std::ofstream(path) << BdfText({10, 8, 2});
    EXPECT_EQ(ReadBdfFile(path).glyphs.count(0xDF), 1u);
    std::ofstream(path) << "STARTFONT 2.1\n";
    try {
        ReadBdfFile(path);
        ADD_FAILURE() << "accepted a file without glyphs";
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    std::filesystem::remove_all(dir);
    EXPECT_THROW(ReadBdfFile(path), FormatError) << "file gone";
}

} // namespace
} // namespace vorn::fontconv
