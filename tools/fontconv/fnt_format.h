// The Windows 2.x/3.x raster font resource (FNT): a header of metrics, a table
// with each character's width and bitmap offset, column-major bitmaps, and the
// face name.
#pragma once

#include "tools/fontconv/byte_buffer.h"
#include "tools/fontconv/raster_font.h"

#include <string>
#include <vector>

namespace vorn::fontconv {

constexpr unsigned kFntVersion2 = 0x200; // 16-bit bitmap offsets; read by every Windows since 2.0
constexpr unsigned kFntVersion3 = 0x300; // 32-bit offsets and a longer header
// The font-directory entry repeats the header up to dfBitsOffset.
constexpr std::size_t kFontDirHeaderBytes = 113;

struct FntHeader {
    unsigned version = 0;
    std::uint32_t size = 0;
    std::string copyright;
    unsigned type = 0;
    unsigned points = 0;
    unsigned vertRes = 0;
    unsigned horizRes = 0;
    unsigned ascent = 0;
    unsigned internalLeading = 0;
    unsigned externalLeading = 0;
    unsigned italic = 0;
    unsigned underline = 0;
    unsigned strikeOut = 0;
    unsigned weight = 0;
    unsigned charSet = 0;
    unsigned pixWidth = 0;
    unsigned pixHeight = 0;
    unsigned pitchAndFamily = 0;
    unsigned avgWidth = 0;
    unsigned maxWidth = 0;
    unsigned firstChar = 0;
    unsigned lastChar = 0;
    unsigned defaultChar = 0; // relative to firstChar, as stored
    unsigned breakChar = 0;   // relative to firstChar, as stored
    unsigned widthBytes = 0;
    std::uint32_t device = 0;
    std::uint32_t face = 0;
    std::uint32_t bitsOffset = 0;
    std::uint32_t flags = 0; // version 3 only
};

struct FntGlyphEntry {
    unsigned width = 0;
    std::uint32_t offset = 0;
};

// A parsed FNT resource, checked for offsets that stay inside it.
struct FntFont {
    FntHeader header;
    std::string faceName;
    std::vector<FntGlyphEntry> glyphs; // lastChar - firstChar + 2 entries
    Bytes data;

    bool VariablePitch() const { return header.pitchAndFamily & 1; }
    // Pixel (x, y) of the glyph for `code`, y = 0 the top row of the cell.
    bool Inked(unsigned code, unsigned x, unsigned y) const;
};

Bytes WriteFnt(const RasterFont& font, unsigned version);
FntFont ParseFnt(const Bytes& data);
// The FONTDIR entry for one font: its header, then device name and face name.
Bytes FontDirEntry(const Bytes& fnt);

} // namespace vorn::fontconv
