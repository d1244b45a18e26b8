// Implements tools/fontconv/font_check.h.
#include "tools/fontconv/font_check.h"

#include "tools/fontconv/fnt_format.h"
#include "tools/fontconv/ne_font_file.h"

#include <cstdio>
#include <sstream>

namespace vorn::fontconv {
namespace {

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

// The directory must repeat each font's header and face, in resource order.
void CheckFontDir(const FonFile& fon) {
    const ByteReader dir(fon.fontDir);
    if (dir.U16(0) != fon.fonts.size())
        throw FormatError("FONTDIR counts " + std::to_string(dir.U16(0)) + " fonts, the file has " +
                          std::to_string(fon.fonts.size()));
    std::size_t at = 2;
    for (std::size_t i = 0; i < fon.fonts.size(); ++i) {
        if (0x8000u + dir.U16(at) != fon.fontIds[i])
            throw FormatError("FONTDIR entry " + std::to_string(i + 1) + " names another font");
        const Bytes& fnt = fon.fonts[i];
        if (dir.Slice(at + 2, kFontDirHeaderBytes) != ByteReader(fnt).Slice(0, kFontDirHeaderBytes))
            throw FormatError("FONTDIR entry " + std::to_string(i + 1) + " differs from its font");
        at += 2 + kFontDirHeaderBytes;
        const std::string device = dir.CString(at);
        at += device.size() + 1;
        const std::string face = dir.CString(at);
        at += face.size() + 1;
        if (face != ParseFnt(fnt).faceName)
            throw FormatError("FONTDIR entry " + std::to_string(i + 1) + " has face " + face);
    }
}

} // namespace

std::string DescribeFontFile(const Bytes& file) {
    const FonFile fon = ReadFon(file);
    CheckFontDir(fon);
    std::ostringstream out;
    out << "module " << fon.moduleName << "\n";
    out << "description " << fon.description << "\n";
    out << "fonts " << fon.fonts.size() << "\n";
    for (std::size_t i = 0; i < fon.fonts.size(); ++i) {
        const FntFont font = ParseFnt(fon.fonts[i]);
        const FntHeader& h = font.header;
        out << "font " << i + 1 << ": version " << Hex(h.version, 3) << " charset " << h.charSet
            << " chars " << Hex(h.firstChar, 2) << "-" << Hex(h.lastChar, 2) << " height "
            << h.pixHeight << " em "
            << static_cast<long>(h.pixHeight) - static_cast<long>(h.internalLeading) << " points "
            << h.points << " ascent " << h.ascent << " avg " << h.avgWidth << " max " << h.maxWidth
            << " pixwidth " << h.pixWidth << " pitch "
            << (font.VariablePitch() ? "proportional" : "fixed") << " face " << font.faceName
            << "\n";
    }
    return out.str();
}

} // namespace vorn::fontconv
