// The least a program of this toolchain can do to show a dialog: one message
// box. `make bench` measures VORN.EXE's start to its first dialog, and its
// size, against this program's.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr, "bare", "bare", MB_OK);
    return 0;
}
