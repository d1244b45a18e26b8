// Implements host/application.h on Win32.
#include "host/application.h"
#include "host/app_title.h"
#include "host/handles_win32.h"
#include "host/host_texts.h"
#include "host/system_facts.h"
#include "host/win32_error.h"

#include <windows.h>

namespace vorn {

namespace {

constexpr char kClassName[] = "TApplication";

HWND g_window = nullptr;
ScopedFont g_defaultFont;
void (*g_endSession)() = nullptr;

LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Windows is going down while a dialog waits: nothing may be shown now.
    if (message == WM_ENDSESSION && wParam != 0) {
        if (g_endSession) g_endSession();
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void LowerWithCharLower(String& tail) {
    if (!tail.empty()) CharLowerBuffA(tail.data(), static_cast<DWORD>(tail.size()));
}

String ProgramTitle() {
    char path[256] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    path[sizeof path - 1] = '\0';
    OemToCharA(path, path);
    return TitleFromProgramPath(path, LowerWithCharLower, IsSystemLeadByte);
}

// Windows 4.0 and later know big icons and a movable-only system menu.
bool IsVersion4OrLater() {
    return LOBYTE(LOWORD(GetVersion())) > 3;
}

HFONT CreateDefaultFont() {
    LOGFONTA font{};
    int points = 8;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    if (GetSystemMetrics(SM_DBCSENABLED) != 0) {
        LOGFONTA system{};
        GetObjectA(GetStockObject(SYSTEM_FONT), sizeof system, &system);
        if (system.lfCharSet == SHIFTJIS_CHARSET) {
            points = 9;
            font.lfCharSet = SHIFTJIS_CHARSET;
            lstrcpynA(font.lfFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE);
        } else if (system.lfCharSet == CHINESEBIG5_CHARSET) {
            points = 9;
            font.lfCharSet = CHINESEBIG5_CHARSET;
            lstrcpynA(font.lfFaceName, "Times New Roman", LF_FACESIZE);
        }
    }
    font.lfHeight = -MulDiv(points, GetDeviceCaps(ScopedWindowDc(nullptr).Get(), LOGPIXELSY), 72);
    return CreateFontIndirectA(&font);
}

} // namespace

void CreateApplication(void (*endSession)()) {
    g_endSession = endSession;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (!GetClassInfoA(instance, kClassName, &existing)) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ApplicationProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (!RegisterClassA(&wc)) Raise(EOutOfResources(MsgWindowClassFailed));
    }

    const String title = ProgramTitle();
    g_window =
        CreateWindowExA(0, kClassName, title.c_str(),
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                        nullptr, nullptr, instance, nullptr);
    if (!g_window) RaiseLastWin32Error();

    if (IsVersion4OrLater()) {
        if (HICON icon = LoadIconA(instance, "MAINICON"))
            SendMessageA(g_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    HMENU menu = GetSystemMenu(g_window, FALSE);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    if (IsVersion4OrLater()) DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);

    if (!g_defaultFont) g_defaultFont.Reset(CreateDefaultFont());
}

void DestroyApplication() {
    if (g_window) DestroyWindow(g_window);
    g_window = nullptr;
    g_defaultFont.Reset();
    g_endSession = nullptr;
}

void* ApplicationWindow() {
    return g_window;
}

String ApplicationTitle() {
    char title[256] = {};
    if (g_window) GetWindowTextA(g_window, title, sizeof title);
    return title;
}

void* DefaultFont() {
    return g_defaultFont.Get();
}

} // namespace vorn
