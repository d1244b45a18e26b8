// The program a scenario plants ("planted": "program"): started, it writes its
// command line to its own path + ".ran" and ends, so that the runner can tell
// that it ran and how. It does nothing else, whatever started it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char trace[MAX_PATH + 5];
    const DWORD n = GetModuleFileNameA(nullptr, trace, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return 1;
    lstrcpyA(trace + n, ".ran");
    HANDLE file = CreateFileA(trace, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const char* commandLine = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, commandLine, lstrlenA(commandLine), &written, nullptr);
    CloseHandle(file);
    return 0;
}
