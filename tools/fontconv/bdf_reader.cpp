// Implements tools/fontconv/bdf_reader.h.
#include "tools/fontconv/bdf_reader.h"

#include "tools/fontconv/byte_buffer.h"

#include <fstream>
#include <sstream>

namespace vorn::fontconv {
namespace {

class LineSource {
  public:
    explicit LineSource(std::istream& in) : in_(in) {}

    // Next non-empty line split into keyword and the rest; false at the end.
    bool Next(std::string& keyword, std::istringstream& args) {
        std::string line;
        while (std::getline(in_, line)) {
            ++number_;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::istringstream words(line);
            if (!(words >> keyword)) continue;
            std::string rest;
            std::getline(words, rest);
            args.clear();
            args.str(rest);
            return true;
        }
        return false;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw FormatError("BDF line " + std::to_string(number_) + ": " + what);
    }

    // The numbers after `keyword`; one too large for an int is refused here,
    // before any arithmetic sees it.
    template <typename... Ints>
    void Numbers(const std::string& keyword, std::istringstream& args, Ints&... values) const {
        if (!(args >> ... >> values))
            Fail(keyword + ": expected " + std::to_string(sizeof...(values)) +
                 " integers of at most 10 digits");
    }

    void Bounded(const std::string& field, int value, int low, int high) const {
        if (value < low || value > high)
            Fail(field + " " + std::to_string(value) + " is outside " + std::to_string(low) + ".." +
                 std::to_string(high));
    }

    int LineNumber() const { return number_; }

  private:
    std::istream& in_;
    int number_ = 0;
};

std::vector<bool> HexRow(const std::string& hex, int width, const LineSource& lines) {
    if (static_cast<int>(hex.size()) * 4 < width) lines.Fail("bitmap row shorter than BBX width");
    std::vector<bool> row(width);
    for (int x = 0; x < width; ++x) {
        const char digit = hex[x / 4];
        int nibble;
        if (digit >= '0' && digit <= '9')
            nibble = digit - '0';
        else if (digit >= 'A' && digit <= 'F')
            nibble = digit - 'A' + 10;
        else if (digit >= 'a' && digit <= 'f')
            nibble = digit - 'a' + 10;
        else
            lines.Fail("bitmap row is not hexadecimal");
        row[x] = (nibble >> (3 - x % 4)) & 1;
    }
    return row;
}

// Reads from after STARTCHAR to ENDCHAR; returns the glyph's encoding.
int ReadGlyph(LineSource& lines, BdfGlyph& glyph) {
    int encoding = -1;
    bool haveBox = false;
    std::string keyword;
    std::istringstream args;
    glyph.line = lines.LineNumber();
    while (lines.Next(keyword, args)) {
        if (keyword == "ENCODING") {
            lines.Numbers(keyword, args, encoding);
        } else if (keyword == "DWIDTH") {
            int dy;
            lines.Numbers(keyword, args, glyph.advance, dy);
            lines.Bounded("DWIDTH x", glyph.advance, -kMaxCellPixels, kMaxCellPixels);
        } else if (keyword == "BBX") {
            lines.Numbers(keyword, args, glyph.width, glyph.height, glyph.xOffset, glyph.yOffset);
            lines.Bounded("BBX width", glyph.width, 0, kMaxCellPixels);
            lines.Bounded("BBX height", glyph.height, 0, kMaxCellPixels);
            lines.Bounded("BBX x offset", glyph.xOffset, -kMaxCellPixels, kMaxCellPixels);
            lines.Bounded("BBX y offset", glyph.yOffset, -kMaxCellPixels, kMaxCellPixels);
            glyph.rows.clear();
            haveBox = true;
        } else if (keyword == "BITMAP") {
            if (!haveBox) lines.Fail("BITMAP before BBX");
            for (int y = 0; y < glyph.height; ++y) {
                std::istringstream hexArgs;
                std::string hex;
                if (!lines.Next(hex, hexArgs)) lines.Fail("file ends inside a bitmap");
                glyph.rows.push_back(HexRow(hex, glyph.width, lines));
            }
        } else if (keyword == "ENDCHAR") {
            if (!haveBox) lines.Fail("glyph without BBX");
            if (static_cast<int>(glyph.rows.size()) != glyph.height)
                lines.Fail("glyph without BITMAP");
            return encoding;
        }
    }
    lines.Fail("file ends inside a glyph");
}

} // namespace

BdfFont ReadBdf(std::istream& in) {
    LineSource lines(in);
    BdfFont font;
    bool started = false, haveAscent = false, haveDescent = false;
    std::string keyword;
    std::istringstream args;
    while (lines.Next(keyword, args)) {
        if (!started) {
            if (keyword != "STARTFONT") lines.Fail("not a BDF file (no STARTFONT)");
            started = true;
        } else if (keyword == "FONT") {
            std::getline(args >> std::ws, font.name);
        } else if (keyword == "PIXEL_SIZE") {
            lines.Numbers(keyword, args, font.pixelSize);
            lines.Bounded(keyword, font.pixelSize, 1, kMaxPixelSize);
        } else if (keyword == "FONT_ASCENT" || keyword == "FONT_DESCENT") {
            int& value = keyword == "FONT_ASCENT" ? font.ascent : font.descent;
            lines.Numbers(keyword, args, value);
            lines.Bounded(keyword, value, 0, kMaxCellPixels);
            (keyword == "FONT_ASCENT" ? haveAscent : haveDescent) = true;
            lines.Bounded("FONT_ASCENT + FONT_DESCENT", font.ascent + font.descent, 0,
                          kMaxCellPixels);
        } else if (keyword == "STARTCHAR") {
            BdfGlyph glyph;
            const int encoding = ReadGlyph(lines, glyph);
            if (encoding >= 0) font.glyphs[encoding] = std::move(glyph);
        } else if (keyword == "ENDFONT") {
            if (!haveAscent || !haveDescent) lines.Fail("FONT_ASCENT or FONT_DESCENT missing");
            if (font.pixelSize <= 0) lines.Fail("PIXEL_SIZE missing");
            return font;
        }
    }
    lines.Fail("file ends before ENDFONT");
}

BdfFont ReadBdfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FormatError("cannot open " + path);
    return NamingErrors(path, [&] { return ReadBdf(in); });
}

} // namespace vorn::fontconv
