// The program's entry module: start-up, the patch run, the end.
//
// WinMain is the one place in app/ that touches the Win32 API, because the
// platform calls it: it does nothing but hand the run to start-up, which
// never returns.
#include "app/patch_run.h"
#include "host/startup.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vorn::RunProgram(&vorn::RunPatch);
}
