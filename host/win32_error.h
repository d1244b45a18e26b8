// The host's one way of reporting a failed Win32 call. Implemented in
// win32_error_win32.cpp; used by the application window, the dialogs and the
// file stream.
//
// Contract: RaiseLastWin32Error() raises EWin32Error for the calling thread's
// last error: MsgWin32Error with the system's text for the code on the
// next line (whole, however long, without its closing line break), or
// MsgWin32CallFailed when there is no error code.
#pragma once

#include "host/exceptions.h"

namespace vorn {

[[noreturn]] void RaiseLastWin32Error();

} // namespace vorn
