// Implements host/memory_block.h with the C allocator, for the native build.
#include "host/memory_block.h"

#include <cstdlib>

namespace vorn {

void* ResizeBlock(void* block, std::int32_t capacity) {
    if (capacity <= 0) {
        std::free(block);
        return nullptr;
    }
    // realloc leaves the old block alone when it fails, as the contract asks.
    return std::realloc(block, static_cast<std::size_t>(capacity));
}

} // namespace vorn
