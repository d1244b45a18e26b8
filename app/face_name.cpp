// Implements app/face_name.h.
#include "app/face_name.h"

#include <cstring>
#include <vector>

namespace vorn {

void ReplaceFaceName(TMemoryStream& stream, const FaceNameRule& rule,
                     const std::function<void(const String& found)>& announce) {
    const String search = rule.search;
    const auto length = static_cast<std::int32_t>(search.size());
    std::vector<char> face(static_cast<std::size_t>(length) + 1, '\0');
    const char lead = search[0];
    char cell = 0;
    while (stream.ReadBytes(&cell, 1) > 0) {
        if (cell != lead) continue;
        stream.MoveTo(-1, FromCurrent);
        const std::int32_t read = stream.ReadBytes(face.data(), length);
        if (read < length || std::memcmp(face.data(), search.data(), search.size()) != 0) {
            // Resume right behind the lead byte, so that an occurrence starting
            // inside the bytes just read ("MMS Sans Serif") is still found.
            if (read > 1) stream.MoveTo(-(read - 1), FromCurrent);
            continue;
        }
        announce(String(face.data(), search.size()));
        stream.MoveTo(-length, FromCurrent);
        stream.WriteBytes(rule.replacement, length);
    }
}

void RewriteFaceNames(TMemoryStream& stream,
                      const std::function<void(const String& found)>& announce) {
    stream.MoveTo(0, FromStart);
    ReplaceFaceName(stream, SansSerifRule, announce);
    stream.MoveTo(0, FromStart);
    ReplaceFaceName(stream, ArialRule, announce);
}

} // namespace vorn
