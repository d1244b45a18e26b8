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
    bool next(std::string& keyword, std::istringstream& args) {
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

    [[noreturn]] void fail(const std::string& what) const {
        throw FormatError("BDF line " + std::to_string(number_) + ": " + what);
    }

    // The numbers after `keyword`; one too large for an int is refused here,
    // before any arithmetic sees it.
    template <typename... Ints>
    void numbers(const std::string& keyword, std::istringstream& args, Ints&... values) const {
        if (!(args >> ... >> values))
            fail(keyword + ": expected " + std::to_string(sizeof...(values)) +
                 " integers of at most 10 digits");
    }

    void bounded(const std::string& field, int value, int low, int high) const {
        if (value < low || value > high)
            fail(field + " " + std::to_string(value) + " is outside " + std::to_string(low) + ".." +
                 std::to_string(high));
    }

    int lineNumber() const { return number_; }

  private:
    std::istream& in_;
    int number_ = 0;
};

std::vector<bool> HexRow(const std::string& hex, int width, const LineSource& lines) {
    if (static_cast<int>(hex.size()) * 4 < width) lines.fail("bitmap row shorter than BBX width");
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
            lines.fail("bitmap row is not hexadecimal");
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
    glyph.line = lines.lineNumber();
    while (lines.next(keyword, args)) {
        if (keyword == "ENCODING") {
            lines.numbers(keyword, args, encoding);
        } else if (keyword == "DWIDTH") {
            int dy;
            lines.numbers(keyword, args, glyph.advance, dy);
            lines.bounded("DWIDTH x", glyph.advance, -kMaxCellPixels, kMaxCellPixels);
        } else if (keyword == "BBX") {
            lines.numbers(keyword, args, glyph.width, glyph.height, glyph.xOffset, glyph.yOffset);
            lines.bounded("BBX width", glyph.width, 0, kMaxCellPixels);
            lines.bounded("BBX height", glyph.height, 0, kMaxCellPixels);
            lines.bounded("BBX x offset", glyph.xOffset, -kMaxCellPixels, kMaxCellPixels);
            lines.bounded("BBX y offset", glyph.yOffset, -kMaxCellPixels, kMaxCellPixels);
            glyph.rows.clear();
            haveBox = true;
        } else if (keyword == "BITMAP") {
            if (!haveBox) lines.fail("BITMAP before BBX");
            for (int y = 0; y < glyph.height; ++y) {
                std::istringstream hexArgs;
                std::string hex;
                if (!lines.next(hex, hexArgs)) lines.fail("file ends inside a bitmap");
                glyph.rows.push_back(HexRow(hex, glyph.width, lines));
            }
        } else if (keyword == "ENDCHAR") {
            if (!haveBox) lines.fail("glyph without BBX");
            if (static_cast<int>(glyph.rows.size()) != glyph.height)
                lines.fail("glyph without BITMAP");
            return encoding;
        }
    }
    lines.fail("file ends inside a glyph");
}

} // namespace

BdfFont ReadBdf(std::istream& in) {
    LineSource lines(in);
    BdfFont font;
    bool started = false, haveAscent = false, haveDescent = false;
    std::string keyword;
    std::istringstream args;
    while (lines.next(keyword, args)) {
        if (!started) {
            if (keyword != "STARTFONT") lines.fail("not a BDF file (no STARTFONT)");
            started = true;
        } else if (keyword == "FONT") {
            std::getline(args >> std::ws, font.name);
        } else if (keyword == "PIXEL_SIZE") {
            lines.numbers(keyword, args, font.pixelSize);
            lines.bounded(keyword, font.pixelSize, 1, kMaxPixelSize);
        } else if (keyword == "FONT_ASCENT" || keyword == "FONT_DESCENT") {
            int& value = keyword == "FONT_ASCENT" ? font.ascent : font.descent;
            lines.numbers(keyword, args, value);
            lines.bounded(keyword, value, 0, kMaxCellPixels);
            (keyword == "FONT_ASCENT" ? haveAscent : haveDescent) = true;
            lines.bounded("FONT_ASCENT + FONT_DESCENT", font.ascent + font.descent, 0,
                          kMaxCellPixels);
        } else if (keyword == "STARTCHAR") {
            BdfGlyph glyph;
            const int encoding = ReadGlyph(lines, glyph);
            if (encoding >= 0) font.glyphs[encoding] = std::move(glyph);
        } else if (keyword == "ENDFONT") {
            if (!haveAscent || !haveDescent) lines.fail("FONT_ASCENT or FONT_DESCENT missing");
            if (font.pixelSize <= 0) lines.fail("PIXEL_SIZE missing");
            return font;
        }
    }
    lines.fail("file ends before ENDFONT");
}

BdfFont ReadBdfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FormatError("cannot open " + path);
    try {
        return ReadBdf(in);
    } catch (const FormatError& e) {
        throw FormatError(path + ": " + e.what());
    }
}

} // namespace vorn::fontconv
