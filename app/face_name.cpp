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
#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace vorn {

namespace {

// Words of the machine's own width: 4 bytes on the shipped 32-bit program.
using Word = std::uintptr_t;
constexpr Word kOneInEachByte = ~Word{0} / 0xFF;
constexpr Word kHighBitOfEachByte = kOneInEachByte * 0x80;

Word LoadWord(const unsigned char* at) {
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Nonzero when a byte of `word` is zero. Exact about whether there is one, not
// about which: a 0x01 byte above a zero byte may be flagged too, so every
// flagged word is confirmed byte by byte.
Word HasZeroByte(Word word) {
    return (word - kOneInEachByte) & ~word & kHighBitOfEachByte;
}

bool MatchesAt(const unsigned char* data, std::int32_t at, const String& search) {
    return std::memcmp(data + at, search.data(), search.size()) == 0;
}

// The first position in [from, last] where `search` begins, or -1. All of
// [from, last + search.size()) lies within the data.
std::int32_t FindByWords(const unsigned char* data, std::int32_t from, std::int32_t last,
                         const String& search) {
    std::int32_t at = from;
    if (search.size() >= 2) {
        // A stretch of positions is looked at in full only when one of them
        // holds the first two bytes of the name: in a program file that is
        // rare even for the common capitals 'A' and 'M'.
        const Word first = kOneInEachByte * static_cast<unsigned char>(search[0]);
        const Word second = kOneInEachByte * static_cast<unsigned char>(search[1]);
        const auto pairsIn = [&](std::int32_t word) {
            return HasZeroByte(LoadWord(data + word) ^ first) &
                   HasZeroByte(LoadWord(data + word + 1) ^ second);
        };
        constexpr std::int32_t kWidth = sizeof(Word);
        constexpr std::int32_t kStretch = 4 * kWidth;
        // The last load of a stretch at `at` ends at `at` + stretch, at most
        // `last` + 1.
        while (last - at >= kStretch - 1) {
            if (pairsIn(at) | pairsIn(at + kWidth) | pairsIn(at + 2 * kWidth) |
                pairsIn(at + 3 * kWidth)) {
                for (std::int32_t i = at; i < at + kStretch; ++i)
                    if (MatchesAt(data, i, search)) return i;
            }
            at += kStretch;
        }
    }
    for (; at <= last; ++at)
        if (data[at] == static_cast<unsigned char>(search[0]) && MatchesAt(data, at, search))
            return at;
    return -1;
}

#if defined(__i386__) || defined(__x86_64__)
// The same search sixteen positions a compare, for processors with SSE2:
// every x86-64 one, and most that run the 32-bit program, which is built for
// processors without it and asks the processor first.
#if defined(__i386__)
// The 32-bit stack is only 4-byte aligned; the function aligns its own.
__attribute__((target("sse2"), force_align_arg_pointer))
#endif
std::int32_t
FindByVectors(const unsigned char* data, std::int32_t from, std::int32_t last,
              const String& search) {
    std::int32_t at = from;
    if (search.size() >= 2) {
        const __m128i first = _mm_set1_epi8(search[0]);
        const __m128i second = _mm_set1_epi8(search[1]);
        constexpr std::int32_t kStretch = 32;
        // The last load of a stretch at `at` ends at `at` + stretch, at most
        // `last` + 1.
        while (last - at >= kStretch - 1) {
            const auto* here = reinterpret_cast<const __m128i*>(data + at);
            const auto* next = reinterpret_cast<const __m128i*>(data + at + 1);
            const __m128i low = _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(here), first),
                                              _mm_cmpeq_epi8(_mm_loadu_si128(next), second));
            const __m128i high = _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(here + 1), first),
                                               _mm_cmpeq_epi8(_mm_loadu_si128(next + 1), second));
            if (_mm_movemask_epi8(_mm_or_si128(low, high))) {
                for (std::int32_t i = at; i < at + kStretch; ++i)
                    if (MatchesAt(data, i, search)) return i;
            }
            at += kStretch;
        }
    }
    return at <= last ? FindByWords(data, at, last, search) : -1;
}

bool ProcessorHasVectors() {
#if defined(__i386__)
    return __builtin_cpu_supports("sse2");
#else
    return true;
#endif
}
#else
bool ProcessorHasVectors() {
    return false;
}
#endif

FaceNameSearch g_search = FaceNameSearch::Fastest;

std::int32_t FindFrom(const unsigned char* data, std::int32_t from, std::int32_t last,
                      const String& search) {
#if defined(__i386__) || defined(__x86_64__)
    static const bool hasVectors = ProcessorHasVectors();
    if (hasVectors && g_search == FaceNameSearch::Fastest)
        return FindByVectors(data, from, last, search);
#endif
    return FindByWords(data, from, last, search);
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

void UseFaceNameSearch(FaceNameSearch search) {
    g_search = search;
}

void RewriteFaceNames(TMemoryStream& stream,
                      const std::function<void(const String& found)>& announce) {
    stream.MoveTo(0, FromStart);
    ReplaceFaceName(stream, SansSerifRule, announce);
    stream.MoveTo(0, FromStart);
    ReplaceFaceName(stream, ArialRule, announce);
}

} // namespace vorn
