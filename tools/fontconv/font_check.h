// The summary `fontconv --check` prints: one line per font with the fields a
// reader of the file relies on, after checking that the file holds together.
#pragma once

#include "tools/fontconv/byte_buffer.h"

#include <string>

namespace vorn::fontconv {

// Throws FormatError when the FONTDIR disagrees with the fonts or a font is damaged.
std::string DescribeFontFile(const Bytes& file);

} // namespace vorn::fontconv
