// A program for the robot's own tests: shows one dialog of a chosen shape and
// ends with an exit code that tells how the dialog was answered.
//
//   robot_target.exe messagebox FLAGS CAPTION TEXT   exit code: MessageBoxA's result
//   robot_target.exe form CAPTION TEXT BUTTON...     exit code: 1-based button number
//   robot_target.exe slow-form CAPTION TEXT BUTTON... the same, taking half a
//                                     second over each Tab before it moves the focus
//   robot_target.exe input CAPTION PROMPT DEFAULT EXPECTED
//                                     exit code: 1 when OK is pressed with the field
//                                     holding EXPECTED, 50 with anything else, 2 Cancel
//
// The form is a window class of its own (not "#32770") with dialog keyboard
// handling, like the program the robot is made for. Other ways of ending:
// close box 20, quit message 30, end of session 40.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kClosedResult = 20, kQuitResult = 30, kEndSessionResult = 40, kWrongTextResult = 50;
constexpr int kEditId = 100;

int result = 0;
std::string expectedText;
bool isInput = false;
bool slowTab = false;

LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENDSESSION && wParam) ExitProcess(kEndSessionResult);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) != kEditId) {
            result = LOWORD(wParam);
            if (isInput && result == IDOK) {
                char text[512] = "";
                GetDlgItemTextA(window, kEditId, text, sizeof text);
                if (expectedText != text) result = kWrongTextResult;
            }
        }
        return 0;
    case WM_CLOSE:
        result = kClosedResult;
        return 0;
    }
    return DefDlgProcA(window, message, wParam, lParam);
}

HWND MakeApplicationWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ApplicationProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TApplication";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "TApplication", "robot_target", WS_POPUP | WS_CAPTION, 0, 0, 0, 0,
                           nullptr, nullptr, windowClass.hInstance, nullptr);
}

HWND MakeForm(HWND owner, const char* caption, int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FormProc;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "RobotTargetForm";
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_DLGMODALFRAME, "RobotTargetForm", caption,
                           WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 150, width, height, owner,
                           nullptr, windowClass.hInstance, nullptr);
}

HWND Child(HWND form, const char* className, const char* text, DWORD style, int id, int x, int y,
           int width, int height) {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           form, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

int RunModal(HWND form, HWND firstFocus) {
    ShowWindow(form, SW_SHOW);
    SetFocus(firstFocus);
    MSG message;
    while (result == 0) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) return kQuitResult;
        if (slowTab && message.message == WM_KEYDOWN && message.wParam == VK_TAB) Sleep(500);
        if (!IsDialogMessageA(form, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DestroyWindow(form);
    return result;
}

int ShowForm(HWND application, int argc, char** argv) {
    HWND form = MakeForm(application, argv[2], 420, 160);
    Child(form, "STATIC", "", SS_ICON, -1, 10, 10, 32, 32);
    Child(form, "STATIC", argv[3], SS_LEFT, -1, 52, 10, 340, 40);
    // Made from the right so that window order and screen order differ.
    int count = argc - 4;
    HWND first = nullptr;
    for (int i = count - 1; i >= 0; --i) {
        DWORD style = WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND button = Child(form, "BUTTON", argv[4 + i], style, i + 1, 20 + i * 100, 80, 90, 26);
        if (i == 0) first = button;
    }
    return RunModal(form, first);
}

int ShowInput(HWND application, char** argv) {
    isInput = true;
    expectedText = argv[5];
    HWND form = MakeForm(application, argv[2], 360, 150);
    Child(form, "STATIC", argv[3], SS_LEFT, -1, 10, 10, 300, 20);
    HWND edit = Child(form, "EDIT", argv[4], WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kEditId, 10,
                      34, 320, 22);
    Child(form, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 70, 70, 90, 26);
    Child(form, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, 180, 70, 90, 26);
    return RunModal(form, edit);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 99;
    std::string shape = argv[1];
    HWND application = MakeApplicationWindow();
    if (shape == "messagebox" && argc == 5) {
        int answer = MessageBoxA(nullptr, argv[4], argv[3], std::strtoul(argv[2], nullptr, 10));
        return answer == 0 ? kQuitResult : answer;
    }
    if (shape == "form" && argc >= 5) return ShowForm(application, argc, argv);
    if (shape == "slow-form" && argc >= 5) {
        slowTab = true;
        return ShowForm(application, argc, argv);
    }
    if (shape == "input" && argc == 6) return ShowInput(application, argv);
    return 99;
}
