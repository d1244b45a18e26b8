// The byte-stream family: TStream, THandleStream, TFileStream,
// TCustomMemoryStream, TMemoryStream.
//
// The memory part (stream.cpp, memory_stream.cpp) is portable; the block it
// holds comes from memory_block.h. The file part (file_stream_win32.cpp) sits
// on CreateFileA/ReadFile/WriteFile/SetFilePointer and also implements
// TMemoryStream::LoadWholeFile and StoreToFile.
//
// Sizes, offsets and counts are signed 32-bit. What fails how (the texts are
// those of host_texts.h):
//  - an operation abstract in the object's class: EAbstractError MsgAbstractError;
//  - TFileStream cannot open / create: EFOpenError MsgCannotOpenFile /
//    EFCreateError MsgCannotCreateFile (%s the name as passed);
//  - ReadFully / WriteFully short: EReadError MsgStreamReadError /
//    EWriteError MsgStreamWriteError;
//  - no block of the asked capacity: EStreamError
//    MsgMemoryStreamFull; the stream is left as it was;
//  - THandleStream::ChangeSize to a negative length, or one the file pointer
//    cannot reach, or SetEndOfFile failing: EWin32Error (win32_error.h); a
//    refused length leaves the file and its position as they were.
#pragma once

#include "host/exceptions.h"
#include <cstdint>
#include <cstring>

namespace vorn {

enum SeekOrigin : std::uint16_t { FromStart = 0, FromCurrent = 1, FromEnd = 2 };

// The largest capacity the 8192-byte rounding can express in 32 bits; asking
// for more raises EStreamError.
constexpr std::int32_t kMaxBlockCapacity = 2147475456;

// File stream mode words.
constexpr std::uint16_t ModeCreate = 0xFFFF;
constexpr std::uint16_t ModeReadExclusive = 0x0000;

class TStream {
  public:
    virtual ~TStream() = default;
    // Slot 1: does nothing here.
    virtual void ChangeSize(std::int32_t length);
    // Slots 2 to 4: abstract here.
    virtual std::int32_t ReadBytes(void* buffer, std::int32_t count);
    virtual std::int32_t WriteBytes(const void* buffer, std::int32_t count);
    virtual std::int32_t MoveTo(std::int32_t offset, std::uint16_t origin);

    std::int32_t CurrentPos();
    std::int32_t TotalLength();
    void ReadFully(void* buffer, std::int32_t count);
    void WriteFully(const void* buffer, std::int32_t count);
};

class THandleStream : public TStream {
  public:
    explicit THandleStream(std::int32_t osHandle) : osHandle_(osHandle) {}
    void ChangeSize(std::int32_t length) override;
    std::int32_t ReadBytes(void* buffer, std::int32_t count) override;
    std::int32_t WriteBytes(const void* buffer, std::int32_t count) override;
    std::int32_t MoveTo(std::int32_t offset, std::uint16_t origin) override;
    std::int32_t OsHandle() const { return osHandle_; }

  protected:
    std::int32_t osHandle_; // negative: no handle
};

class TFileStream : public THandleStream {
  public:
    TFileStream(const String& fileName, std::uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
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
    void CopyAllTo(TStream& target);

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
    // Slot 5: rounds `capacity` up to a multiple of 8192 (handing the rounded
    // value back) and returns the block of that size.
    virtual void* AdjustBlock(std::int32_t& capacity);

    // Resizes the block to `capacity` rounded up; data past it is cut.
    void ChangeCapacity(std::int32_t capacity);
    void DropContent();
    void FillFromStream(TStream& source);
    void LoadWholeFile(const String& fileName);
    void StoreToFile(const String& fileName);
    // StoreToFile, and the file forced to disk before it is closed, so that a
    // system crash right after cannot lose it; a refused flush raises
    // EWriteError "ｽﾄﾘｰﾑへの書き込みｴﾗｰ".
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
