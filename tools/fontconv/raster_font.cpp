// Implements tools/fontconv/raster_font.h.
#include "tools/fontconv/raster_font.h"

#include "tools/fontconv/byte_buffer.h"

#include <algorithm>
#include <cstdio>

namespace vorn::fontconv {
namespace {

std::string Hex(int code) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

bool FromSource(const FaceOptions& options, int code) {
    return std::any_of(
        options.sourceRanges.begin(), options.sourceRanges.end(),
        [code](const auto& range) { return code >= range.first && code <= range.second; });
}

std::string GlyphPlace(const BdfGlyph& glyph, int code) {
    return "BDF line " + std::to_string(glyph.line) + ": glyph " + Hex(code);
}

// The glyph's own box and bits, and the cell it makes, must be what the
// reader promises; the width is summed in 64 bits before it is bounded.
void CheckGlyph(const BdfGlyph& glyph, int code) {
    const std::int64_t left = std::min(0, glyph.xOffset);
    const std::int64_t right =
        std::max(std::int64_t{glyph.advance}, std::int64_t{glyph.xOffset} + glyph.width);
    if (glyph.width < 0 || glyph.height < 0 || right - left > kMaxCellPixels ||
        glyph.height > kMaxCellPixels)
        throw FormatError(GlyphPlace(glyph, code) + ": DWIDTH and BBX make a cell larger than " +
                          std::to_string(kMaxCellPixels) + " x " + std::to_string(kMaxCellPixels));
    if (glyph.rows.size() != static_cast<std::size_t>(glyph.height))
        throw FormatError(GlyphPlace(glyph, code) + ": BITMAP rows differ from BBX height");
    for (const auto& row : glyph.rows)
        if (row.size() != static_cast<std::size_t>(glyph.width))
            throw FormatError(GlyphPlace(glyph, code) + ": BITMAP row differs from BBX width");
}

// A raster cell has no side bearings, so ink left of the origin or right of the
// advance widens the cell instead of being cut off.
Cell CellFromGlyph(const BdfGlyph& glyph, int cellTop, int cellHeight) {
    const int left = std::min(0, glyph.xOffset);
    const int right = std::max(glyph.advance, glyph.xOffset + glyph.width);
    Cell cell;
    cell.width = right - left;
    cell.height = cellHeight;
    cell.ink.assign(static_cast<std::size_t>(cell.width) * cellHeight, 0);
    const int firstRow = cellTop - (glyph.yOffset + glyph.height);
    for (int gy = 0; gy < glyph.height; ++gy)
        for (int gx = 0; gx < glyph.width; ++gx)
            if (glyph.rows[gy][gx])
                cell.ink[static_cast<std::size_t>(firstRow + gy) * cell.width + glyph.xOffset -
                         left + gx] = 1;
    return cell;
}

} // namespace

RasterFont BuildRasterFont(const BdfFont& source, const FaceOptions& options) {
    RasterFont font;
    font.faceName = options.faceName;
    font.copyright = options.copyright;
    font.pitch = options.pitch;
    font.family = options.family;
    font.charSet = options.charSet;
    font.firstChar = options.firstChar;
    font.lastChar = options.lastChar;
    font.defaultChar = options.defaultChar;
    font.breakChar = options.breakChar;
    font.emPixels = source.pixelSize;

    if (!FromSource(options, options.defaultChar) || !FromSource(options, options.breakChar))
        throw FormatError("default and break characters must be taken from the source");
    if (source.pixelSize < 1 || source.pixelSize > kMaxPixelSize)
        throw FormatError("PIXEL_SIZE " + std::to_string(source.pixelSize) + " is outside 1.." +
                          std::to_string(kMaxPixelSize));

    // The cell holds the font's own line, grown if some glyph reaches beyond it.
    // The source may come from anywhere, so its metrics are summed in 64 bits
    // and the cell bounded before anything is allocated for it.
    std::int64_t top = source.ascent, bottom = source.descent;
    if (top < 0 || bottom < 0 || top + bottom > kMaxCellPixels)
        throw FormatError("FONT_ASCENT + FONT_DESCENT is outside 0.." +
                          std::to_string(kMaxCellPixels));
    for (int code = font.firstChar; code <= font.lastChar; ++code) {
        if (!FromSource(options, code)) continue;
        const auto found = source.glyphs.find(code);
        if (found == source.glyphs.end())
            throw FormatError("the source has no glyph for " + Hex(code));
        const BdfGlyph& glyph = found->second;
        CheckGlyph(glyph, code);
        top = std::max(top, std::int64_t{glyph.yOffset} + glyph.height);
        bottom = std::max(bottom, -std::int64_t{glyph.yOffset});
        if (top + bottom > kMaxCellPixels)
            throw FormatError(GlyphPlace(glyph, code) + " makes the cell " +
                              std::to_string(top + bottom) + " pixels high, more than " +
                              std::to_string(kMaxCellPixels));
    }
    font.ascent = static_cast<int>(top);
    font.pixelHeight = static_cast<int>(top + bottom);
    font.internalLeading = std::max(0, font.pixelHeight - source.pixelSize);
    font.points = (source.pixelSize * 72 + font.resolution / 2) / font.resolution;

    const Cell defaultCell =
        CellFromGlyph(source.glyphs.at(font.defaultChar), top, font.pixelHeight);
    for (int code = font.firstChar; code <= font.lastChar; ++code)
        font.cells.push_back(FromSource(options, code)
                                 ? CellFromGlyph(source.glyphs.at(code), top, font.pixelHeight)
                                 : defaultCell);

    // Windows takes the width of "x" as the average width of a face.
    font.avgWidth = font.CellFor('x').width;
    // Japanese system raster fonts announce the double-byte cell, twice the
    // single-byte one, as their maximum; applications size text boxes by it.
    font.maxWidth = 2 * font.avgWidth;
    for (int code = font.firstChar; code <= font.lastChar; ++code) {
        const Cell& cell = font.CellFor(code);
        if (cell.width > font.maxWidth)
            throw FormatError("glyph " + Hex(code) + " is wider than twice the width of x");
        if (font.pitch == Pitch::Fixed && cell.width != font.avgWidth)
            throw FormatError("fixed-pitch face, but glyph " + Hex(code) + " is " +
                              std::to_string(cell.width) + " pixels wide, x is " +
                              std::to_string(font.avgWidth));
    }

    Cell blank = font.CellFor(font.breakChar);
    std::fill(blank.ink.begin(), blank.ink.end(), 0);
    font.cells.push_back(blank);
    return font;
}

} // namespace vorn::fontconv
