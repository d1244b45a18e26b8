// Answering a dialog: clicks, keys, the close box and the system's messages.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

#include <cctype>
#include <cstring>

namespace vorn::robot {
namespace {

constexpr UINT SendTimeoutMs = 5000;

// A caption as a person reads it: "&" marks are not shown, "&&" shows "&".
std::string WithoutAccessMarks(const std::string& caption) {
    std::string shown;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return shown;
}

HWND FindButton(const Dialog& dialog, const std::string& caption) {
    for (bool bare : {false, true})
        for (const Control& control : dialog.controls)
            if (control.role == ControlRole::Button && control.visible &&
                (bare ? WithoutAccessMarks(control.text) : control.text) == caption)
                return control.window;
    return nullptr;
}

// Where typed keys go: the window that has the focus in the dialog's thread.
HWND KeyTarget(const Dialog& dialog) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(dialog.threadId, &thread) && thread.hwndFocus &&
        GetWindowThreadProcessId(thread.hwndFocus, nullptr) == dialog.threadId)
        return thread.hwndFocus;
    return dialog.window;
}

void PostKey(HWND target, UINT key, bool alt) {
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    LPARAM down = 1 | scan | (alt ? LPARAM{1} << 29 : 0);
    LPARAM up = down | (LPARAM{1} << 30) | static_cast<LPARAM>(1u << 31);
    PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down);
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, up);
}

std::string ErrorText(const char* what) {
    return what + (" (error " + std::to_string(GetLastError()) + ")");
}

} // namespace

void Perform(const Program& program, const Dialog& dialog, const Action& action) {
    switch (action.kind) {
    case Action::Kind::Press: {
        HWND button = FindButton(dialog, action.button);
        if (!button)
            throw RobotError("the dialog has no button " + Quoted(Cp932ToUtf8(action.button)));
        if (!PostMessageA(button, BM_CLICK, 0, 0)) throw RobotError(ErrorText("BM_CLICK failed"));
        break;
    }
    case Action::Kind::Key:
        PostKey(KeyTarget(dialog), action.virtualKey, action.alt);
        break;
    case Action::Kind::Close:
        if (!PostMessageA(dialog.window, WM_SYSCOMMAND, SC_CLOSE, 0))
            throw RobotError(ErrorText("WM_SYSCOMMAND failed"));
        break;
    case Action::Kind::Quit:
        if (!PostThreadMessageA(dialog.threadId, WM_QUIT, 0, 0))
            throw RobotError(ErrorText("WM_QUIT could not be posted"));
        break;
    case Action::Kind::EndSession: {
        HWND application = program.applicationWindow();
        if (!application) throw RobotError("the program has no \"TApplication\" window");
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(application, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, SendTimeoutMs,
                            &answer);
        // The program may end inside this call; the missing reply is expected.
        SendMessageTimeoutA(application, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, SendTimeoutMs,
                            &answer);
        break;
    }
    }
}

void TypeIntoEdit(const Dialog& dialog, const std::string& text) {
    for (const Control& control : dialog.controls) {
        if (control.role != ControlRole::Edit || !control.visible) continue;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(control.window, WM_SETTEXT, 0,
                                 reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, SendTimeoutMs,
                                 &result) ||
            !result)
            throw RobotError(ErrorText("WM_SETTEXT on the edit field failed"));
        return;
    }
    throw RobotError("the dialog has no edit field to type into");
}

} // namespace vorn::robot
