// The entry module of UNVORN.EXE: start-up, the undo run, the end.
//
// As in VORN.EXE, WinMain is the one place here that touches the Win32 API,
// because the platform calls it.
#include "host/startup.h"
#include "undo/undo_run.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vorn::RunProgram(&vorn::RunUndo);
}
