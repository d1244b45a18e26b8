// The memory behind a memory stream's block: one movable block whose growth
// keeps its content. memory_block_win32.cpp uses the global-memory calls,
// memory_block_posix.cpp realloc for the native build.
//
// Contract: ResizeBlock(nullptr, n) gets a new block of n bytes;
// ResizeBlock(block, n) resizes it (content up to the smaller size kept, the
// block may move); ResizeBlock(block, 0) frees it and returns nullptr. Returns
// nullptr when the memory cannot be had, leaving `block` untouched. New or
// grown memory is not cleared. `capacity` is never negative. The Win32 build
// refuses blocks past 1.5 GiB also as a 64-bit program: a 32-bit process
// could not hold them.
#pragma once

#include <cstdint>

namespace vorn {

void* ResizeBlock(void* block, std::int32_t capacity);

} // namespace vorn
