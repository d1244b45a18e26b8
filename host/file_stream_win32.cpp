// Implements host/file_stream_win32.h, and TMemoryStream::LoadWholeFile /
// StoreToFile / StoreToFileOnDisk of host/stream.h, on the kernel32 file calls.
#include "host/file_stream_win32.h"
#include "host/host_texts.h"
#include "host/win32_error.h"

namespace vorn {

namespace {
DWORD AccessOf(FileMode mode) {
    static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    const unsigned field = mode & 0x3;
    return field < 3 ? access[field] : 0;
}

DWORD SharingOf(FileMode mode) {
    // Fields 0 and 1 both share nothing.
    static const DWORD sharing[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE};
    const unsigned field = (mode >> 4) & 0xF;
    return field < 5 ? sharing[field] : 0;
}

ScopedHandle OpenOrRaise(const String& fileName, FileMode mode) {
    ScopedHandle handle = OpenFileHandle(fileName, mode);
    if (handle) return handle;
    if (mode == kCreateFile) Raise(EFCreateError(FillIn(MsgCannotCreateFile, fileName)));
    Raise(EFOpenError(FillIn(MsgCannotOpenFile, fileName)));
}
} // namespace

ScopedHandle OpenFileHandle(const String& fileName, FileMode mode) {
    if (mode == kCreateFile)
        return ScopedHandle(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return ScopedHandle(CreateFileA(fileName.c_str(), AccessOf(mode), SharingOf(mode), nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void THandleStream::ChangeSize(std::int32_t length) {
    // A negative length is refused, as the memory stream refuses it, before
    // the file is touched; so is any length the file pointer cannot reach: the
    // end of the file is only ever set where the move has arrived.
    if (length < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        RaiseLastWin32Error();
    }
    if (MoveTo(length, FromStart) != length || !SetEndOfFile(handle_.Get())) RaiseLastWin32Error();
}

std::int32_t THandleStream::ReadBytes(void* buffer, std::int32_t count) {
    // A negative count would reach ReadFile as a huge one.
    if (count < 0) return 0;
    DWORD done = 0;
    if (!ReadFile(handle_.Get(), buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
    return static_cast<std::int32_t>(done);
}

std::int32_t THandleStream::WriteBytes(const void* buffer, std::int32_t count) {
    if (count < 0) return 0;
    DWORD done = 0;
    if (!WriteFile(handle_.Get(), buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
    return static_cast<std::int32_t>(done);
}

std::int32_t THandleStream::MoveTo(std::int32_t offset, std::uint16_t origin) {
    return static_cast<std::int32_t>(SetFilePointer(handle_.Get(), offset, nullptr, origin));
}

void THandleStream::FlushToDisk() {
    if (!FlushFileBuffers(handle_.Get())) Raise(EWriteError(MsgStreamWriteError));
}

TFileStream::TFileStream(const String& fileName, FileMode mode)
    : THandleStream(OpenOrRaise(fileName, mode)) {}

void TMemoryStream::LoadWholeFile(const String& fileName) {
    TFileStream file(fileName, kReadAlone);
    FillFromStream(file);
}

void TMemoryStream::StoreToFile(const String& fileName) {
    TFileStream file(fileName, kCreateFile);
    CopyAllTo(file);
}

void TMemoryStream::StoreToFileOnDisk(const String& fileName) {
    TFileStream file(fileName, kCreateFile);
    CopyAllTo(file);
    file.FlushToDisk();
}

} // namespace vorn
