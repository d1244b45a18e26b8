// The face-name scan over the client's program file held in a memory stream.
// Portable: the run passes an announcement that shows a dialog, the tests and
// the benchmark pass their own.
#pragma once

#include "host/stream.h"
#include <functional>

namespace vorn {

struct FaceNameRule {
    const char* search;
    const char* replacement; // as long as `search`
};
inline constexpr FaceNameRule SansSerifRule{"MS Sans Serif", "MS Sans Serij"};
inline constexpr FaceNameRule ArialRule{"Arial", "Ariaj"};

// One pass from the stream's offset to its end: every occurrence of
// `rule.search` is announced (with the text found) and then overwritten in
// place by `rule.replacement`. The stream never changes length.
void ReplaceFaceName(TMemoryStream& stream, const FaceNameRule& rule,
                     const std::function<void(const String& found)>& announce);

// The run's rewrite of the client's program file: the "MS Sans Serif" pass
// over the whole stream, then the "Arial" pass over what it left. The undo
// applies it to a backup to learn whether that backup is the file's own.
void RewriteFaceNames(TMemoryStream& stream,
                      const std::function<void(const String& found)>& announce);

// How the scan looks for the names: with the processor's 16-byte compares
// where it has them (Fastest), or a machine word at a time (Words), the way
// processors without them take. The outcome is the same; the tests and the
// benchmark choose one to check or measure it.
enum class FaceNameSearch { Fastest, Words };
void UseFaceNameSearch(FaceNameSearch search);

} // namespace vorn
