// The hidden application window and its title. Implemented in
// application_win32.cpp.
//
// Contract: CreateApplication() registers the window class "TApplication"
// (raising EOutOfResources "ｳｨﾝﾄﾞｳｸﾗｽの作成でｴﾗｰが発生しました" when it
// cannot), derives the title from the program's file name and creates the
// never-shown window that owns every dialog. On WM_ENDSESSION with a non-zero
// wParam the window ends the process at once through EndProcess().
#pragma once

#include "host/exceptions.h"

namespace vorn {

void CreateApplication();
void DestroyApplication();
// The hidden window (HWND), null before CreateApplication.
void* ApplicationWindow();
// The title, read back from the hidden window's caption (at most 255 bytes).
String ApplicationTitle();

} // namespace vorn
