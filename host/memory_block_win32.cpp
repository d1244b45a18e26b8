// Implements host/memory_block.h with movable global memory, kept locked
// while the stream holds it.
#include "host/memory_block.h"

#include <windows.h>

namespace vorn {

void* ResizeBlock(void* block, std::int32_t capacity) {
    if (block == nullptr) {
        if (capacity <= 0) return nullptr;
        HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(capacity));
        if (handle == nullptr) return nullptr;
        void* address = GlobalLock(handle);
        if (address == nullptr) GlobalFree(handle);
        return address;
    }
    HGLOBAL handle = GlobalHandle(block);
    GlobalUnlock(handle);
    if (capacity <= 0) {
        GlobalFree(handle);
        return nullptr;
    }
    HGLOBAL grown = GlobalReAlloc(handle, static_cast<SIZE_T>(capacity), GMEM_MOVEABLE);
    if (grown == nullptr) {
        // The old block is still valid: lock it again so that the caller keeps it.
        GlobalLock(handle);
        return nullptr;
    }
    return GlobalLock(grown);
}

} // namespace vorn
