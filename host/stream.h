// The byte-stream family: TStream and the memory streams TCustomMemoryStream
// and TMemoryStream; the file streams over it, THandleStream and TFileStream,
// are in file_stream_win32.h.
//
// The memory part (stream.cpp, memory_stream.cpp) is portable; the block it
// holds comes from memory_block.h. TMemoryStream::LoadWholeFile and
// StoreToFile go through a TFileStream and live with it
// (file_stream_win32.cpp).
//
// Sizes, offsets and counts are signed 32-bit. What fails how (the texts are
// those of host_texts.h):
//  - an operation abstract in the object's class: EAbstractError MsgAbstractError;
//  - ReadFully / WriteFully short: EReadError MsgStreamReadError /
//    EWriteError MsgStreamWriteError;
//  - no block of the asked capacity: EStreamError
//    MsgMemoryStreamFull; the stream is left as it was;
//  - LoadWholeFile / StoreToFile: what TFileStream raises when it cannot open
//    or create the file (file_stream_win32.h), and the two above.
#pragma once

#include "host/exceptions.h"
#include <cstdint>
#include <cstring>

namespace vorn {

enum SeekOrigin : std::uint16_t { FromStart = 0, FromCurrent = 1, FromEnd = 2 };

// The largest capacity the 8192-byte rounding can express in 32 bits; asking
// for more raises EStreamError.
constexpr std::int32_t kMaxBlockCapacity = 2147475456;

class TStream {
  public:
    virtual ~TStream() = default;
    // A stream without a size of its own ignores it.
    virtual void ChangeSize(std::int32_t length);
    // Each kind of stream gives its own; here they raise EAbstractError, so
    // that a stream asked for what it cannot do says so rather than doing nothing.
    virtual std::int32_t ReadBytes(void* buffer, std::int32_t count);
    virtual std::int32_t WriteBytes(const void* buffer, std::int32_t count);
    virtual std::int32_t MoveTo(std::int32_t offset, std::uint16_t origin);

    std::int32_t CurrentPos();
    std::int32_t TotalLength();
    void ReadFully(void* buffer, std::int32_t count);
    void WriteFully(const void* buffer, std::int32_t count);
};

class TCustomMemoryStream : public TStream {
  public:
    // Inline below: the face-name scan reads a 64 MB file one byte per call.
    std::int32_t ReadBytes(void* buffer, std::int32_t count) override;
    // Offsets wrap around in 32 bits as the program's arithmetic always has;
    // nothing checks that the result lies within the data.
    std::int32_t MoveTo(std::int32_t offset, std::uint16_t origin) override;
    // WriteBytes stays abstract here.

    void* BlockAddr() const { return blockAddr_; }
    std::int32_t DataLength() const { return dataLength_; }
    std::int32_t CurrentOffset() const { return currentOffset_; }
    void AttachBlock(void* address, std::int32_t length);
    void CopyAllTo(TStream& target) const;

  protected:
    void* blockAddr_ = nullptr;
    std::int32_t dataLength_ = 0;
    std::int32_t currentOffset_ = 0;
};

class TMemoryStream final : public TCustomMemoryStream {
  public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    void ChangeSize(std::int32_t length) override;
    std::int32_t WriteBytes(const void* buffer, std::int32_t count) override;
    // Rounds `capacity` up to a multiple of 8192 (handing the rounded value
    // back) and returns the block of that size: every growth and shrinking of
    // the block goes through here.
    void* AdjustBlock(std::int32_t& capacity);

    // Resizes the block to `capacity` rounded up; data past it is cut.
    void ChangeCapacity(std::int32_t capacity);
    void DropContent();
    void FillFromStream(TStream& source);
    void LoadWholeFile(const String& fileName);
    void StoreToFile(const String& fileName);
    // StoreToFile, and the file forced to disk before it is closed, so that a
    // system crash right after cannot lose it; a refused flush raises
    // EWriteError MsgStreamWriteError.
    void StoreToFileOnDisk(const String& fileName);
    std::int32_t BlockCapacity() const { return blockCapacity_; }

  private:
    std::int32_t blockCapacity_ = 0;
};

// 32-bit two's-complement addition without signed overflow.
inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline std::int32_t TCustomMemoryStream::ReadBytes(void* buffer, std::int32_t count) {
    if (currentOffset_ < 0 || count < 0) return 0;
    std::int32_t n = dataLength_ - currentOffset_;
    if (n <= 0) return 0;
    if (count < n) n = count;
    if (n == 0) return 0;
    const char* from = static_cast<const char*>(blockAddr_) + currentOffset_;
    if (n == 1)
        *static_cast<char*>(buffer) = *from;
    else
        std::memcpy(buffer, from, static_cast<std::size_t>(n));
    currentOffset_ += n;
    return n;
}

inline std::int32_t TCustomMemoryStream::MoveTo(std::int32_t offset, std::uint16_t origin) {
    switch (origin) {
    case FromStart:
        currentOffset_ = offset;
        break;
    case FromCurrent:
        currentOffset_ = WrapAdd(currentOffset_, offset);
        break;
    case FromEnd:
        currentOffset_ = WrapAdd(dataLength_, offset);
        break;
    default:
        break;
    }
    return currentOffset_;
}

} // namespace vorn
