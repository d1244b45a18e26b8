// Ends at once. `make bench` puts it beside a copy of VORN.EXE as
// notepad.exe, so that the start to the first dialog can be measured without
// the editor the run starts and waits for.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
