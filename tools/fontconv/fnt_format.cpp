// Implements tools/fontconv/fnt_format.h.
#include "tools/fontconv/fnt_format.h"

#include <map>

namespace vorn::fontconv {
namespace {

constexpr std::size_t kHeaderBytesV2 = 118;
constexpr std::size_t kHeaderBytesV3 = 148;
constexpr std::size_t kSizeField = 2, kFaceOffsetField = 105, kBitsOffsetField = 113;
constexpr std::uint32_t kDffFixed = 0x0001, kDffProportional = 0x0002, kDff1Color = 0x0010;

std::size_t HeaderBytes(unsigned version) {
    return version == kFntVersion3 ? kHeaderBytesV3 : kHeaderBytesV2;
}
std::size_t EntryBytes(unsigned version) {
    return version == kFntVersion3 ? 6 : 4;
}
unsigned ColumnBytes(int width) {
    return static_cast<unsigned>(width + 7) / 8;
}

// Each glyph is stored as strips 8 pixels wide, left strip first, each strip
// top to bottom one byte per row, leftmost pixel in the high bit.
Bytes GlyphBitmap(const Cell& cell) {
    Bytes bits;
    for (unsigned strip = 0; strip < ColumnBytes(cell.width); ++strip)
        for (int y = 0; y < cell.height; ++y) {
            std::uint8_t byte = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = static_cast<int>(strip) * 8 + bit;
                if (x < cell.width && cell.Inked(x, y)) byte |= 0x80 >> bit;
            }
            bits.push_back(byte);
        }
    return bits;
}

void WriteHeader(ByteWriter& out, const RasterFont& font, unsigned version) {
    const bool fixed = font.pitch == Pitch::Fixed;
    unsigned rowBytes = 0;
    for (const Cell& cell : font.cells)
        rowBytes += ColumnBytes(cell.width);
    out.U16(version);
    out.U32(0); // dfSize, patched at the end
    out.FixedText(font.copyright, 60);
    out.U16(0); // dfType: raster, bits in the file
    out.U16(font.points);
    out.U16(font.resolution);
    out.U16(font.resolution);
    out.U16(font.ascent);
    out.U16(font.internalLeading);
    out.U16(0);   // dfExternalLeading
    out.Zeros(3); // dfItalic, dfUnderline, dfStrikeOut
    out.U16(font.weight);
    out.U8(font.charSet);
    out.U16(fixed ? font.avgWidth : 0);
    out.U16(font.pixelHeight);
    // The low bit marks variable pitch in a font file (unlike LOGFONT's bits).
    out.U8(static_cast<unsigned>(font.family) | (fixed ? 0 : 1));
    out.U16(font.avgWidth);
    out.U16(font.maxWidth);
    out.U8(font.firstChar);
    out.U8(font.lastChar);
    out.U8(font.defaultChar - font.firstChar);
    out.U8(font.breakChar - font.firstChar);
    out.U16(rowBytes + rowBytes % 2);
    out.U32(0); // dfDevice: no device name, a screen font
    out.U32(0); // dfFace, patched
    out.U32(0); // dfBitsPointer, set by the loader in memory
    out.U32(0); // dfBitsOffset, patched
    out.U8(0);
    if (version == kFntVersion3) {
        out.U32((fixed ? kDffFixed : kDffProportional) | kDff1Color);
        out.Zeros(6); // dfAspace, dfBspace, dfCspace: no extra spacing
        out.U32(0);   // dfColorPointer
        out.Zeros(16);
    }
}

} // namespace

Bytes WriteFnt(const RasterFont& font, unsigned version) {
    if (version != kFntVersion2 && version != kFntVersion3)
        throw FormatError("FNT version must be 0x200 or 0x300");
    ByteWriter out;
    WriteHeader(out, font, version);

    const std::size_t tableAt = out.Size();
    const std::size_t entryBytes = EntryBytes(version);
    out.Zeros(font.cells.size() * entryBytes);
    const std::size_t bitsAt = out.Size();
    out.PatchU32(kBitsOffsetField, static_cast<std::uint32_t>(bitsAt));

    // Cells with the same picture, such as all codes that show the default
    // char, share one bitmap.
    std::map<std::pair<int, Bytes>, std::uint32_t> written;
    for (std::size_t i = 0; i < font.cells.size(); ++i) {
        const Cell& cell = font.cells[i];
        const Bytes bits = GlyphBitmap(cell);
        auto [place, isNew] =
            written.try_emplace({cell.width, bits}, static_cast<std::uint32_t>(out.Size()));
        if (isNew) out.Append(bits);
        if (version == kFntVersion2 && place->second > 0xFFFF)
            throw FormatError("font too large for 16-bit offsets; use FNT version 0x300");
        const std::size_t entry = tableAt + i * entryBytes;
        out.PatchU16(entry, cell.width);
        if (version == kFntVersion3)
            out.PatchU32(entry + 2, place->second);
        else
            out.PatchU16(entry + 2, place->second);
    }

    out.PatchU32(kFaceOffsetField, static_cast<std::uint32_t>(out.Size()));
    out.Text(font.faceName);
    out.U8(0);
    out.PatchU32(kSizeField, static_cast<std::uint32_t>(out.Size()));
    return out.Take();
}

FntFont ParseFnt(const Bytes& data) {
    const ByteReader in(data);
    FntFont font;
    font.data = data;
    FntHeader& h = font.header;
    h.version = in.U16(0);
    if (h.version != kFntVersion2 && h.version != kFntVersion3)
        throw FormatError("FNT version is neither 0x200 nor 0x300");
    h.size = in.U32(2);
    h.copyright = in.FixedText(6, 60);
    h.type = in.U16(66);
    h.points = in.U16(68);
    h.vertRes = in.U16(70);
    h.horizRes = in.U16(72);
    h.ascent = in.U16(74);
    h.internalLeading = in.U16(76);
    h.externalLeading = in.U16(78);
    h.italic = in.U8(80);
    h.underline = in.U8(81);
    h.strikeOut = in.U8(82);
    h.weight = in.U16(83);
    h.charSet = in.U8(85);
    h.pixWidth = in.U16(86);
    h.pixHeight = in.U16(88);
    h.pitchAndFamily = in.U8(90);
    h.avgWidth = in.U16(91);
    h.maxWidth = in.U16(93);
    h.firstChar = in.U8(95);
    h.lastChar = in.U8(96);
    h.defaultChar = in.U8(97);
    h.breakChar = in.U8(98);
    h.widthBytes = in.U16(99);
    h.device = in.U32(101);
    h.face = in.U32(105);
    h.bitsOffset = in.U32(113);
    if (h.version == kFntVersion3) h.flags = in.U32(118);

    if (h.size != data.size()) throw FormatError("dfSize differs from the resource size");
    if (h.type & 1) throw FormatError("a vector font, not a raster font");
    if (h.lastChar < h.firstChar) throw FormatError("last char before first char");
    font.faceName = in.CString(h.face);

    const std::size_t entries = h.lastChar - h.firstChar + 2;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t at = HeaderBytes(h.version) + i * EntryBytes(h.version);
        FntGlyphEntry entry;
        entry.width = in.U16(at);
        entry.offset = h.version == kFntVersion3 ? in.U32(at + 2) : in.U16(at + 2);
        // Touches the last byte of the bitmap so a short file is caught here.
        const std::size_t bytes = ColumnBytes(static_cast<int>(entry.width)) * h.pixHeight;
        if (bytes > 0) in.U8(entry.offset + bytes - 1);
        font.glyphs.push_back(entry);
    }
    return font;
}

bool FntFont::Inked(unsigned code, unsigned x, unsigned y) const {
    if (code < header.firstChar || code > header.lastChar) throw FormatError("code out of range");
    const FntGlyphEntry& glyph = glyphs.at(code - header.firstChar);
    if (x >= glyph.width || y >= header.pixHeight) throw FormatError("pixel outside the cell");
    const auto byte = ByteReader(data).U8(glyph.offset + (x / 8) * header.pixHeight + y);
    return byte & (0x80 >> (x % 8));
}

Bytes FontDirEntry(const Bytes& fnt) {
    const FntFont font = ParseFnt(fnt);
    ByteWriter out;
    out.Append(ByteReader(fnt).Slice(0, kFontDirHeaderBytes));
    out.U8(0); // no device name
    out.Text(font.faceName);
    out.U8(0);
    return out.Take();
}

} // namespace vorn::fontconv
