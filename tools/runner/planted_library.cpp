// The library a scenario plants ("planted": "library"): loaded, it writes the
// path of the program that loaded it to its own path + ".ran" and returns
// from its entry at once, so that the runner can tell that it was loaded and
// by whom. It does nothing else.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char trace[MAX_PATH + 5];
    char loader[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(self, trace, MAX_PATH + 1);
    const DWORD length = GetModuleFileNameA(nullptr, loader, sizeof loader);
    if (n == 0 || n > MAX_PATH) return TRUE;
    lstrcpyA(trace + n, ".ran");
    HANDLE file = CreateFileA(trace, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written = 0;
    WriteFile(file, loader, length, &written, nullptr);
    CloseHandle(file);
    return TRUE;
}
