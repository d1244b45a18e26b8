// The hidden application window and its title. Implemented in
// application_win32.cpp.
//
// Contract: CreateApplication() registers the window class "TApplication"
// (raising EOutOfResources "ｳｨﾝﾄﾞｳｸﾗｽの作成でｴﾗｰが発生しました" when it
// cannot), derives the title from the program's file name and creates the
// never-shown window that owns every dialog. On WM_ENDSESSION with a non-zero
// wParam the window calls `endSession` at once (start-up passes EndProcess, so
// the process ends with its current exit code and shows nothing).
#pragma once

#include "host/exceptions.h"

namespace vorn {

void CreateApplication(void (*endSession)());
void DestroyApplication();
// The hidden window (HWND), null before CreateApplication.
void* ApplicationWindow();
// The title, read back from the hidden window's caption (at most 255 bytes).
String ApplicationTitle();

} // namespace vorn
