// Fuzzes the converter from a BDF source to the .fon it writes. Any text must
// end in a font or a FormatError, without a sanitizer report, an allocation
// beyond the bounds bdf_reader.h keeps, or any other exception; and a font
// the converter writes must read back with `fontconv --check`'s reader.
#include "tools/fontconv/bdf_reader.h"
#include "tools/fontconv/fnt_format.h"
#include "tools/fontconv/font_check.h"
#include "tools/fontconv/ne_font_file.h"
#include "tools/fontconv/raster_font.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorn::fontconv;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    BdfFont source;
    try {
        source = ReadBdf(in);
    } catch (const FormatError&) {
        return 0;
    }
    for (const Pitch pitch : {Pitch::Proportional, Pitch::Fixed}) {
        FaceOptions options;
        options.faceName = "Fuzz";
        options.pitch = pitch;
        std::vector<Bytes> fnts;
        try {
            const RasterFont font = BuildRasterFont(source, options);
            fnts.push_back(WriteFnt(font, kFntVersion2));
            fnts.push_back(WriteFnt(font, kFntVersion3));
        } catch (const FormatError&) {
            continue;
        }
        try {
            DescribeFontFile(WriteFon("FUZZ", "FONTRES 100,96,96 : Fuzz", fnts));
        } catch (const FormatError& e) {
            std::fprintf(stderr, "a written font does not read back: %s\n", e.what());
            std::abort();
        }
    }
    return 0;
}
