// Implements host/app_title.h. Portable.
#include "host/app_title.h"

namespace vorn {

namespace {

// Bytes a character starting at `at` occupies: a lead byte takes its trail byte
// along, except at the very end where a cut-off path leaves it alone.
std::size_t CharLength(const String& s, std::size_t at, LeadByteTest isLeadByte) {
    return isLeadByte(static_cast<unsigned char>(s[at])) && at + 1 < s.size() ? 2 : 1;
}

void LowerAsciiLetters(String& s, LeadByteTest isLeadByte) {
    for (std::size_t at = 0; at < s.size(); at += CharLength(s, at, isLeadByte))
        if (s[at] >= 'A' && s[at] <= 'Z') s[at] = static_cast<char>(s[at] - 'A' + 'a');
}

} // namespace

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

String TitleFromProgramPath(const String& path, void (*lowerTail)(String&),
                            LeadByteTest isLeadByte) {
    std::size_t nameStart = 0;
    for (std::size_t at = 0; at < path.size(); at += CharLength(path, at, isLeadByte))
        if (path[at] == '\\') nameStart = at + 1;
    String name = path.substr(nameStart);

    for (std::size_t at = 0; at < name.size(); at += CharLength(name, at, isLeadByte)) {
        if (name[at] == '.') {
            name.resize(at);
            break;
        }
    }
    if (name.empty()) return name;

    const std::size_t first = CharLength(name, 0, isLeadByte);
    String tail = name.substr(first);
    if (lowerTail)
        lowerTail(tail);
    else
        LowerAsciiLetters(tail, isLeadByte);
    return name.substr(0, first) + tail;
}

} // namespace vorn
