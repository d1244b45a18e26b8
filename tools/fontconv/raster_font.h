// A raster font face at one pixel size, in the terms a Windows font resource
// describes it: one cell per character code with its width and ink, and the
// metrics GDI reads from the header.
#pragma once

#include "tools/fontconv/bdf_reader.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorn::fontconv {

enum class Pitch { Proportional, Fixed };

// The family nibble of the pitch-and-family byte (FF_* values).
enum class Family : std::uint8_t { DontCare = 0x00, Roman = 0x10, Swiss = 0x20, Modern = 0x30 };

struct Cell {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> ink; // row-major, top row first; 1 = ink

    bool Inked(int x, int y) const { return ink.at(static_cast<std::size_t>(y) * width + x) != 0; }
};

struct RasterFont {
    std::string faceName;
    std::string copyright;
    Pitch pitch = Pitch::Proportional;
    Family family = Family::DontCare;
    int charSet = 0;
    int emPixels = 0;    // the nominal pixel size the face was drawn for
    int pixelHeight = 0; // the full cell: ascent plus descent
    int ascent = 0;
    int internalLeading = 0;
    int points = 0;
    int resolution = 96; // dots per inch, both directions
    int weight = 400;
    int avgWidth = 0;
    int maxWidth = 0;
    int firstChar = 0;
    int lastChar = 0;
    int defaultChar = 0; // absolute codes here; the file stores them relative to firstChar
    int breakChar = 0;
    // firstChar..lastChar, then the blank cell the format keeps after the last one.
    std::vector<Cell> cells;

    const Cell& CellFor(int code) const { return cells.at(code - firstChar); }
};

struct FaceOptions {
    std::string faceName;
    std::string copyright;
    Pitch pitch = Pitch::Proportional;
    Family family = Family::DontCare;
    int charSet = 128; // SHIFTJIS_CHARSET
    int firstChar = 0x20;
    int lastChar = 0xDF;
    // Codes taken from the source; every other code in the range shows the default char.
    std::vector<std::pair<int, int>> sourceRanges{{0x20, 0x7E}, {0xA1, 0xDF}};
    // The half-width middle dot, the mark Japanese text uses for an unknown character.
    int defaultChar = 0xA5;
    int breakChar = 0x20;
};

// Throws FormatError when the source lacks a glyph of the ranges, when a fixed
// face has cells of different widths, when a cell is wider than twice the
// average width (the maximum the header announces), or when the source breaks
// the bounds ReadBdf keeps (bdf_reader.h): whatever `source` holds, nothing
// overflows and no cell beyond kMaxCellPixels square is allocated.
RasterFont BuildRasterFont(const BdfFont& source, const FaceOptions& options);

} // namespace vorn::fontconv
