// Implements app/face_name.h.
//
// The scan looks at the stream's block directly instead of reading it one byte
// per call: a file of tens of megabytes must not keep the user waiting. Only
// whole occurrences have an effect (a candidate that fails changes nothing and
// the scan goes on right behind its lead byte), so finding the next occurrence
// at or after the scan's position gives the same announcements and the same
// bytes. The announcement and the rewrite go through the stream as before, so
// the stream stands where it always stood when the announcement is made.
#include "app/face_name.h"

#include <cstring>

namespace vorn {

namespace {

// Words of the machine's own width: 4 bytes on the shipped 32-bit program.
using Word = std::uintptr_t;
constexpr Word OneInEachByte = ~Word{0} / 0xFF;
constexpr Word HighBitOfEachByte = OneInEachByte * 0x80;

Word LoadWord(const unsigned char* at) {
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Nonzero when a byte of `word` is zero. Exact about whether there is one, not
// about which: a 0x01 byte above a zero byte may be flagged too, so every
// flagged word is confirmed byte by byte.
Word HasZeroByte(Word word) {
    return (word - OneInEachByte) & ~word & HighBitOfEachByte;
}

bool MatchesAt(const unsigned char* data, std::int32_t at, const String& search) {
    return std::memcmp(data + at, search.data(), search.size()) == 0;
}

// The first position in [from, last] where `search` begins, or -1. All of
// [from, last + search.size()) lies within the data.
std::int32_t FindFrom(const unsigned char* data, std::int32_t from, std::int32_t last,
                      const String& search) {
    std::int32_t at = from;
    if (search.size() >= 2) {
        // A stretch of positions is looked at in full only when one of them
        // holds the first two bytes of the name: in a program file that is
        // rare even for the common capitals 'A' and 'M'. Four words a round
        // keep the loop's own cost below that of reading the memory.
        const Word first = OneInEachByte * static_cast<unsigned char>(search[0]);
        const Word second = OneInEachByte * static_cast<unsigned char>(search[1]);
        const auto pairsIn = [&](std::int32_t word) {
            return HasZeroByte(LoadWord(data + word) ^ first) &
                   HasZeroByte(LoadWord(data + word + 1) ^ second);
        };
        constexpr std::int32_t width = sizeof(Word);
        constexpr std::int32_t stretch = 4 * width;
        // The last load of a stretch at `at` ends at `at` + stretch, at most
        // `last` + 1.
        while (last - at >= stretch - 1) {
            if (pairsIn(at) | pairsIn(at + width) | pairsIn(at + 2 * width) |
                pairsIn(at + 3 * width)) {
                for (std::int32_t i = at; i < at + stretch; ++i)
                    if (MatchesAt(data, i, search)) return i;
            }
            at += stretch;
        }
    }
    for (; at <= last; ++at)
        if (data[at] == static_cast<unsigned char>(search[0]) && MatchesAt(data, at, search))
            return at;
    return -1;
}

} // namespace

void ReplaceFaceName(TMemoryStream& stream, const FaceNameRule& rule,
                     const std::function<void(const String& found)>& announce) {
    const String search = rule.search;
    const auto length = static_cast<std::int32_t>(search.size());
    for (;;) {
        // Outside the data a one-byte read gets nothing: the pass ends there
        // and leaves the offset where it is.
        const std::int32_t from = stream.CurrentOffset();
        if (from < 0 || from >= stream.DataLength()) return;
        const std::int32_t last = stream.DataLength() - length;
        const auto* data = static_cast<const unsigned char*>(stream.BlockAddr());
        const std::int32_t at = from <= last ? FindFrom(data, from, last, search) : -1;
        if (at < 0) {
            // Every byte up to the end has been looked at.
            stream.MoveTo(0, FromEnd);
            return;
        }
        stream.MoveTo(at + length, FromStart);
        announce(String(reinterpret_cast<const char*>(data) + at, search.size()));
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
