// Fuzzes the .fon reader behind `fontconv --check`: any bytes must end in a
// summary or a FormatError, without a sanitizer report or any other
// exception; in a font it accepts, the first and the last pixel of every
// glyph must be readable.
#include "tools/fontconv/fnt_format.h"
#include "tools/fontconv/font_check.h"
#include "tools/fontconv/ne_font_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorn::fontconv;
    const Bytes file(data, data + size);
    try {
        DescribeFontFile(file);
    } catch (const FormatError&) {
        return 0;
    }
    // Accepted: each glyph's bitmap must lie inside its font, as ParseFnt checks.
    for (const Bytes& fnt : ReadFon(file).fonts) {
        const FntFont font = ParseFnt(fnt);
        const FntHeader& h = font.header;
        for (unsigned code = h.firstChar; code <= h.lastChar; ++code) {
            const unsigned width = font.glyphs.at(code - h.firstChar).width;
            if (width > 0 && h.pixHeight > 0) {
                font.Inked(code, 0, 0);
                font.Inked(code, width - 1, h.pixHeight - 1);
            }
        }
    }
    return 0;
}
