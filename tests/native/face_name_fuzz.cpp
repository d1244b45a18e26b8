// Fuzzes the face-name scan against an oracle of its rules written apart
// from it: from the start offset to the end, the leftmost complete occurrence
// of the search text is announced and overwritten, and the search goes on
// right behind it. Nothing else changes: length, capacity, other bytes.
//
// Input: byte 0 chooses where both passes start (bits 0-1: at 0, inside the
// data at the offset bytes 1-2 give, before the data, past its end); the rest
// is the client's file.
#include "app/face_name.h"

#include <cstdlib>
#include <vector>

namespace {

using vorn::String;

struct Pass {
    String bytes;
    std::vector<String> announced;
    std::int32_t endOffset;
};

Pass Oracle(String bytes, std::int32_t start, const vorn::FaceNameRule& rule) {
    const String search = rule.search, replacement = rule.replacement;
    Pass pass{bytes, {}, start};
    const auto size = static_cast<std::int32_t>(bytes.size());
    if (start < 0 || start >= size) return pass;
    for (std::size_t at = static_cast<std::size_t>(start); at < bytes.size();) {
        if (pass.bytes.compare(at, search.size(), search) == 0) {
            pass.announced.push_back(search);
            pass.bytes.replace(at, search.size(), replacement);
            at += search.size();
        } else {
            ++at;
        }
    }
    pass.endOffset = size;
    return pass;
}

Pass Scan(vorn::TMemoryStream& stream, std::int32_t start, const vorn::FaceNameRule& rule) {
    Pass pass;
    const std::int32_t capacity = stream.BlockCapacity(), length = stream.DataLength();
    stream.MoveTo(start, vorn::FromStart);
    vorn::ReplaceFaceName(stream, rule,
                          [&](const String& found) { pass.announced.push_back(found); });
    if (stream.BlockCapacity() != capacity || stream.DataLength() != length) std::abort();
    pass.endOffset = stream.CurrentOffset();
    if (length > 0) pass.bytes.assign(static_cast<const char*>(stream.BlockAddr()), length);
    return pass;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const String file(reinterpret_cast<const char*>(data) + 3, size - 3);
    const auto length = static_cast<std::int32_t>(file.size());
    const int where = data[1] | data[2] << 8;
    std::int32_t start = 0;
    switch (data[0] & 3) {
    case 1:
        start = where % (length + 1);
        break;
    case 2:
        start = -1 - where;
        break;
    case 3:
        start = length + where;
        break;
    }

    vorn::TMemoryStream stream;
    if (length > 0) stream.WriteBytes(file.data(), length);
    String expected = file;
    for (const vorn::FaceNameRule* rule : {&vorn::SansSerifRule, &vorn::ArialRule}) {
        const Pass want = Oracle(expected, start, *rule);
        const Pass got = Scan(stream, start, *rule);
        if (got.bytes != want.bytes || got.announced != want.announced ||
            got.endOffset != want.endOffset)
            std::abort();
        expected = want.bytes;
    }
    return 0;
}
