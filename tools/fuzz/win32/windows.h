// The part of <windows.h> that the scenario reader's sources need, for the
// native fuzzing build (tools/fuzz). Types and constants carry the values of
// the Windows headers; the few functions the reader calls are implemented
// natively in tools/fuzz/win32_native.cpp. wchar_t is 32 bits here, so wide
// strings hold code points where Windows holds UTF-16 units: the reader only
// passes them from one conversion to the other.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using HANDLE = void*;
using HWND = struct HWND__*;
using LPARAM = std::intptr_t;
using WPARAM = std::uintptr_t;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

struct RECT {
    LONG left, top, right, bottom;
};
struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
struct SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
struct FILETIME {
    DWORD dwLowDateTime, dwHighDateTime;
};

constexpr DWORD REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3, REG_DWORD = 4,
                REG_MULTI_SZ = 7;
constexpr UINT VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
               VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
               VK_DOWN = 0x28, VK_DELETE = 0x2E, VK_F1 = 0x70;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;
constexpr DWORD STILL_ACTIVE = 259;

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int length, wchar_t* wide,
                        int wideLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int length, char* text,
                        int textLength, const char* defaultChar, BOOL* usedDefault);
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte);
// Compares with ASCII letters folded; only equality is meant here, as the
// order of Windows' word sort is not reproduced.
int lstrcmpiA(const char* a, const char* b);
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* time);
