// Reads the parts of an X11 BDF 2.1 bitmap font the converter uses: the font's
// pixel size and line metrics, and each encoded glyph's advance, box and bits.
#pragma once

#include <istream>
#include <map>
#include <string>
#include <vector>

namespace vorn::fontconv {

struct BdfGlyph {
    int line = 0;    // of its STARTCHAR, for messages
    int advance = 0; // DWIDTH x: pen movement in pixels
    int width = 0;   // BBX: ink box size and its offset from the origin (y up)
    int height = 0;
    int xOffset = 0;
    int yOffset = 0;
    // Ink rows, top row first; each row holds `width` pixels, 1 = ink.
    std::vector<std::vector<bool>> rows;
};

struct BdfFont {
    std::string name; // the FONT line (an XLFD name)
    int pixelSize = 0;
    int ascent = 0;                 // FONT_ASCENT: pixels above the baseline
    int descent = 0;                // FONT_DESCENT: pixels below it
    std::map<int, BdfGlyph> glyphs; // by ENCODING; glyphs with encoding -1 are left out
};

// The largest cell and nominal size the converter takes. Windows raster fonts
// stop far below; the bounds keep every sum and product of metrics in range.
constexpr int kMaxCellPixels = 256;
constexpr int kMaxPixelSize = 1000;

// Throws FormatError naming the line on anything malformed or missing, and the
// line and field of a metric outside the bounds: PIXEL_SIZE 1..MaxPixelSize;
// FONT_ASCENT, FONT_DESCENT, BBX width and height 0..MaxCellPixels, ascent plus
// descent at most kMaxCellPixels; DWIDTH and BBX offsets within
// -kMaxCellPixels..MaxCellPixels. ReadBdfFile's messages also name the file.
BdfFont ReadBdf(std::istream& in);
BdfFont ReadBdfFile(const std::string& path);

} // namespace vorn::fontconv
