// Implements the file part of host/stream.h: THandleStream, TFileStream and
// TMemoryStream::LoadWholeFile / StoreToFile / StoreToFileOnDisk, on the kernel32 file calls.
#include "host/stream.h"
#include "host/host_texts.h"
#include "host/win32_error.h"

#include <windows.h>

namespace vorn {

namespace {
HANDLE AsHandle(std::int32_t osHandle) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(osHandle));
}

// Access (bits 0-1) and sharing (bits 4-7) of a mode word. Values outside the
// tables ask for no access and no sharing.
DWORD AccessOf(std::uint16_t mode) {
    static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    const unsigned field = mode & 0x3;
    return field < 3 ? access[field] : 0;
}

DWORD SharingOf(std::uint16_t mode) {
    static const DWORD sharing[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE};
    const unsigned field = (mode >> 4) & 0xF;
    return field < 5 ? sharing[field] : 0;
}

std::int32_t OpenOrRaise(const String& fileName, std::uint16_t mode) {
    HANDLE handle;
    if (mode == ModeCreate)
        handle = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    else
        handle = CreateFileA(fileName.c_str(), AccessOf(mode), SharingOf(mode), nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const auto osHandle = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(handle));
    if (osHandle < 0) {
        if (mode == ModeCreate) Raise(EFCreateError(FillIn(MsgCannotCreateFile, fileName)));
        Raise(EFOpenError(FillIn(MsgCannotOpenFile, fileName)));
    }
    return osHandle;
}
} // namespace

void THandleStream::ChangeSize(std::int32_t length) {
    // A negative length is refused, as the memory stream refuses it, before
    // the file is touched; so is any length the file pointer cannot reach: the
    // end of the file is only ever set where the move has arrived.
    if (length < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        RaiseLastWin32Error();
    }
    if (MoveTo(length, FromStart) != length || !SetEndOfFile(AsHandle(osHandle_)))
        RaiseLastWin32Error();
}

std::int32_t THandleStream::ReadBytes(void* buffer, std::int32_t count) {
    // A negative count would reach ReadFile as a huge one.
    if (count < 0) return 0;
    DWORD done = 0;
    if (!ReadFile(AsHandle(osHandle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
    return static_cast<std::int32_t>(done);
}

std::int32_t THandleStream::WriteBytes(const void* buffer, std::int32_t count) {
    if (count < 0) return 0;
    DWORD done = 0;
    if (!WriteFile(AsHandle(osHandle_), buffer, static_cast<DWORD>(count), &done, nullptr))
        return 0;
    return static_cast<std::int32_t>(done);
}

std::int32_t THandleStream::MoveTo(std::int32_t offset, std::uint16_t origin) {
    return static_cast<std::int32_t>(SetFilePointer(AsHandle(osHandle_), offset, nullptr, origin));
}

TFileStream::TFileStream(const String& fileName, std::uint16_t mode)
    : THandleStream(OpenOrRaise(fileName, mode)) {}

TFileStream::~TFileStream() {
    if (osHandle_ >= 0) CloseHandle(AsHandle(osHandle_));
}

void TMemoryStream::LoadWholeFile(const String& fileName) {
    TFileStream file(fileName, ModeReadExclusive);
    FillFromStream(file);
}

void TMemoryStream::StoreToFile(const String& fileName) {
    TFileStream file(fileName, ModeCreate);
    CopyAllTo(file);
}

void TMemoryStream::StoreToFileOnDisk(const String& fileName) {
    TFileStream file(fileName, ModeCreate);
    CopyAllTo(file);
    if (!FlushFileBuffers(AsHandle(file.OsHandle()))) Raise(EWriteError("ｽﾄﾘｰﾑへの書き込みｴﾗｰ"));
}

} // namespace vorn
