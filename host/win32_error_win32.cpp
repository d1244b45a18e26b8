// Implements host/win32_error.h.
#include "host/win32_error.h"
#include "host/host_texts.h"

#include <windows.h>

namespace vorn {

void RaiseLastWin32Error() {
    const DWORD code = GetLastError();
    if (code == 0) Raise(EWin32Error(MsgWin32CallFailed));
    // The system allocates the text at its full length: no buffer of ours limits it.
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    String system = text && length ? String(text, length) : String();
    if (text) LocalFree(text);
    // System texts end in a line break that would double the report's own.
    // (Trail bytes are 0x40 or more: a blank or control byte ends no character.)
    while (!system.empty() && static_cast<unsigned char>(system.back()) <= ' ')
        system.pop_back();
    Raise(EWin32Error(FillIn(MsgWin32Error, static_cast<std::int32_t>(code)) + "\n" + system));
}

} // namespace vorn
