// The file half of the byte stream (stream.h): THandleStream, a stream over a
// file handle that it owns, and TFileStream, which opens that handle by name.
// The memory stream's LoadWholeFile and StoreToFile and ReplaceWholeFile
// (file_replace.h) read and write files through them. Implemented in
// file_stream_win32.cpp, on the kernel32 file calls.
//
// What fails how (the texts are those of host_texts.h):
//  - OpenFileHandle: an empty owner when the file cannot be opened or made;
//    never raises. TFileStream raises then: EFOpenError MsgCannotOpenFile or,
//    for kCreateFile, EFCreateError MsgCannotCreateFile (%s the name as
//    passed), and no object remains;
//  - ReadBytes / WriteBytes: 0 when the call fails (ReadFully / WriteFully
//    then raise, stream.h);
//  - ChangeSize to a negative length, or one the file pointer cannot reach,
//    or SetEndOfFile failing: EWin32Error (win32_error.h); a refused length
//    leaves the file and its position as they were;
//  - FlushToDisk refused: EWriteError MsgStreamWriteError.
#pragma once

#include "host/handles_win32.h"
#include "host/stream.h"

namespace vorn {

// How a file is opened, as one word. kCreateFile makes the file, or empties
// the one there, for this stream alone to read and write. Any other word
// opens an existing file and is one access ORed with one sharing; values
// outside these ask for no access and no sharing.
using FileMode = std::uint16_t;
constexpr FileMode kCreateFile = 0xFFFF;
// What this stream may do with the file.
constexpr FileMode kReadAccess = 0x00;
constexpr FileMode kWriteAccess = 0x01;
constexpr FileMode kReadWriteAccess = 0x02;
// What other opens of the file may do while this one holds it.
constexpr FileMode kShareNothing = 0x00;
constexpr FileMode kShareReading = 0x20;
constexpr FileMode kShareWriting = 0x30;
constexpr FileMode kShareReadingAndWriting = 0x40;
// The memory stream loads alone: a file that a running client holds open
// then cannot be loaded, and the run stops before it writes anything.
constexpr FileMode kReadAlone = kReadAccess | kShareNothing;

ScopedHandle OpenFileHandle(const String& fileName, FileMode mode);

class THandleStream : public TStream {
  public:
    explicit THandleStream(ScopedHandle handle) : handle_(std::move(handle)) {}
    void ChangeSize(std::int32_t length) override;
    std::int32_t ReadBytes(void* buffer, std::int32_t count) override;
    std::int32_t WriteBytes(const void* buffer, std::int32_t count) override;
    std::int32_t MoveTo(std::int32_t offset, std::uint16_t origin) override;
    // What was written, forced to disk before the file is closed, so that a
    // system crash right after cannot lose it.
    void FlushToDisk();
    HANDLE Handle() const { return handle_.Get(); }

  private:
    ScopedHandle handle_; // closed when the stream ends
};

class TFileStream : public THandleStream {
  public:
    TFileStream(const String& fileName, FileMode mode);
};

} // namespace vorn
