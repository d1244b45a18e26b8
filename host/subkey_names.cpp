// Implements CollectSubkeyNames of host/registry.h. Portable.
#include "host/registry.h"

#include <cstring>
#include <vector>

namespace vorn {

namespace {
// Registry key names are at most 255 characters; a longer "longest" can only
// come from a broken platform answer and would just waste memory.
constexpr std::uint32_t kLongestNameCap = 65535;
} // namespace

void CollectSubkeyNames(TStringList& list, std::uint32_t count, std::uint32_t longest,
                        bool doubleLongest, const SubkeyEnumStep& step) {
    std::uint32_t m = longest > kLongestNameCap ? kLongestNameCap : longest;
    if (doubleLongest) m *= 2;
    // Zeroed, so that no step can leave uninitialised bytes to be read.
    std::vector<char> buffer(static_cast<std::size_t>(m) + 1, '\0');
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t length = m + 1;
        if (step(i, buffer.data(), length) != 0) continue;
        // On success `length` excludes the zero; bound the scan by it and by
        // the buffer, whatever the platform claims.
        const std::size_t limit = length < m + 1 ? length : m + 1;
        list.Add(String(buffer.data(), strnlen(buffer.data(), limit)));
    }
}

} // namespace vorn
