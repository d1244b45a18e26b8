// The hidden application window, its title and the dialogs' default font.
// Implemented in application_win32.cpp.
//
// Contract: CreateApplication() registers the window class "TApplication"
// (raising EOutOfResources MsgWindowClassFailed when it
// cannot), derives the title from the program's file name, creates the
// never-shown window that owns every dialog and fixes the default font once.
// When the window itself cannot be made it raises EWin32Error. On
// WM_ENDSESSION with a non-zero wParam the window calls `endSession` at once
// (start-up passes EndProcess, so the process ends with its current exit code,
// 0 during the run and 1 while the error report is up, and shows nothing).
// DestroyApplication() destroys the window and the font.
#pragma once

#include "host/exceptions.h"

namespace vorn {

void CreateApplication(void (*endSession)());
void DestroyApplication();
// The hidden window (HWND), null before CreateApplication.
void* ApplicationWindow();
// The title, read back from the hidden window's caption (at most 255 bytes).
String ApplicationTitle();
// The font (HFONT) of dialogs that do not take the message-box font; null
// before CreateApplication. Owned by the application.
void* DefaultFont();

} // namespace vorn
