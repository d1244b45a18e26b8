// Implements the TStream part of host/stream.h. Portable.
#include "host/stream.h"
#include "host/host_texts.h"

namespace vorn {

namespace {
[[noreturn]] void RaiseAbstract() {
    Raise(EAbstractError(MsgAbstractError));
}
} // namespace

void TStream::ChangeSize(std::int32_t) {}

std::int32_t TStream::ReadBytes(void*, std::int32_t) {
    RaiseAbstract();
}

std::int32_t TStream::WriteBytes(const void*, std::int32_t) {
    RaiseAbstract();
}

std::int32_t TStream::MoveTo(std::int32_t, std::uint16_t) {
    RaiseAbstract();
}

std::int32_t TStream::CurrentPos() {
    return MoveTo(0, FromCurrent);
}

std::int32_t TStream::TotalLength() {
    const std::int32_t here = MoveTo(0, FromCurrent);
    const std::int32_t length = MoveTo(0, FromEnd);
    MoveTo(here, FromStart);
    return length;
}

void TStream::ReadFully(void* buffer, std::int32_t count) {
    if (count != 0 && ReadBytes(buffer, count) != count) Raise(EReadError(MsgStreamReadError));
}

void TStream::WriteFully(const void* buffer, std::int32_t count) {
    if (count != 0 && WriteBytes(buffer, count) != count) Raise(EWriteError(MsgStreamWriteError));
}

} // namespace vorn
