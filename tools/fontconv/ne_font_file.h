// The font file container: a 16-bit Windows (NE) library with no code, whose
// resources are a FONTDIR and one FONT (an FNT) per size, behind a DOS stub.
#pragma once

#include "tools/fontconv/byte_buffer.h"

#include <string>
#include <vector>

namespace vorn::fontconv {

constexpr unsigned kRtFontDir = 0x8007;
constexpr unsigned kRtFont = 0x8008;

struct FonFile {
    std::string moduleName;  // first entry of the resident name table
    std::string description; // first entry of the non-resident name table
    Bytes fontDir;
    std::vector<unsigned> fontIds; // resource ids as stored, 0x8000 | ordinal
    std::vector<Bytes> fonts;
};

Bytes WriteFon(const std::string& moduleName, const std::string& description,
               const std::vector<Bytes>& fnts);
// The shortest font header (FNT version 0x200); a FONT resource whose dfSize
// is less cannot hold one.
constexpr std::size_t kFntHeaderBytes = 118;

// Throws FormatError when a signature, table or resource lies outside the file,
// or a FONT resource is shorter than a font header.
FonFile ReadFon(const Bytes& file);

} // namespace vorn::fontconv
