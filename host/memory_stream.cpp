// Implements the memory part of host/stream.h: TCustomMemoryStream and
// TMemoryStream (LoadWholeFile and StoreToFile live with the file stream, in
// file_stream_win32.cpp).
// Portable; the block itself comes from memory_block.h.
#include "host/stream.h"
#include "host/host_texts.h"

#include "host/memory_block.h"

#include <algorithm>

namespace vorn {

namespace {
constexpr std::int32_t kCapacityStep = 8192;
} // namespace

void TCustomMemoryStream::AttachBlock(void* address, std::int32_t length) {
    blockAddr_ = address;
    dataLength_ = length;
}

void TCustomMemoryStream::CopyAllTo(TStream& target) const {
    if (dataLength_ != 0) target.WriteFully(blockAddr_, dataLength_);
}

TMemoryStream::~TMemoryStream() {
    DropContent();
}

void* TMemoryStream::AdjustBlock(std::int32_t& capacity) {
    // A negative or unroundable capacity can never be had: refuse it before
    // the allocator sees it, so that the stream stays as it was.
    if (capacity < 0 || capacity > kMaxBlockCapacity) Raise(EStreamError(MsgMemoryStreamFull));
    std::int32_t rounded = capacity;
    if (rounded > 0) rounded = (rounded + (kCapacityStep - 1)) & ~(kCapacityStep - 1);
    if (rounded == blockCapacity_) {
        capacity = rounded;
        return blockAddr_;
    }
    if (rounded == 0) {
        ResizeBlock(blockAddr_, 0);
        capacity = 0;
        return nullptr;
    }
    void* block = ResizeBlock(blockCapacity_ == 0 ? nullptr : blockAddr_, rounded);
    if (block == nullptr) Raise(EStreamError(MsgMemoryStreamFull));
    capacity = rounded;
    return block;
}

void TMemoryStream::ChangeCapacity(std::int32_t capacity) {
    void* block = AdjustBlock(capacity);
    // A block smaller than the data cuts the data: a length past the block
    // would let the next read or store run off its end.
    AttachBlock(block, std::min(dataLength_, capacity));
    blockCapacity_ = capacity;
}

void TMemoryStream::ChangeSize(std::int32_t length) {
    const std::int32_t offset = currentOffset_;
    ChangeCapacity(length);
    dataLength_ = length;
    if (length < offset) MoveTo(0, FromEnd);
}

std::int32_t TMemoryStream::WriteBytes(const void* buffer, std::int32_t count) {
    if (currentOffset_ < 0 || count < 0) return 0;
    // Both terms are non-negative, so a sum past 2^31 - 1 is what 32-bit
    // arithmetic would have wrapped below zero: nothing is written then.
    const std::int64_t end = std::int64_t{currentOffset_} + count;
    if (end <= 0 || end > INT32_MAX) return 0;
    const auto e = static_cast<std::int32_t>(end);
    if (e > dataLength_) {
        if (e > blockCapacity_) ChangeCapacity(e);
        dataLength_ = e;
    }
    if (count > 0)
        std::memcpy(static_cast<char*>(blockAddr_) + currentOffset_, buffer,
                    static_cast<std::size_t>(count));
    currentOffset_ = e;
    return count;
}

void TMemoryStream::DropContent() {
    ChangeCapacity(0);
    dataLength_ = 0;
    currentOffset_ = 0;
}

void TMemoryStream::FillFromStream(TStream& source) {
    source.MoveTo(0, FromStart);
    const std::int32_t n = source.TotalLength();
    ChangeSize(n);
    if (n != 0) source.ReadFully(blockAddr_, n);
}

} // namespace vorn
