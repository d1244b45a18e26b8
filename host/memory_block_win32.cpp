// Implements host/memory_block.h with movable global memory, kept locked
// while the stream holds it.
#include "host/memory_block.h"

#include <windows.h>

namespace vorn {

namespace {

// A 32-bit process has 2 GiB of address space, its code, heaps and stack
// included, so a block past 1.5 GiB cannot be had there. The 64-bit build
// refuses such blocks too, so that both builds fail on the same files.
constexpr std::int32_t kLargest32BitBlock = 0x60000000;

bool FitsA32BitProcess(std::int32_t capacity) {
    return sizeof(void*) == 4 || capacity <= kLargest32BitBlock;
}

} // namespace

void* ResizeBlock(void* block, std::int32_t capacity) {
    if (capacity > 0 && !FitsA32BitProcess(capacity)) return nullptr;
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
