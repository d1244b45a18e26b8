// Answering a dialog: clicks, keys, the close box and the system's messages.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

#include <cctype>
#include <cstring>

namespace vorn::robot {
namespace {

constexpr UINT kSendTimeoutMs = 5000;
// How long the dialog's thread may take over one answer before the robot gives up.
constexpr DWORD kHandleTimeoutMs = 10000;
constexpr DWORD kHandlePollMs = 5;
constexpr int kActivateAttempts = 20;

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

void PostKey(HWND target, UINT key, bool alt) {
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    LPARAM down = 1 | scan | (alt ? LPARAM{1} << 29 : 0);
    LPARAM up = down | (LPARAM{1} << 30) | static_cast<LPARAM>(1u << 31);
    PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down);
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, up);
}

std::string ErrorText(const char* what) {
    return what + ErrorSuffix(GetLastError());
}

bool IsGoneOrHidden(const Program& program, HWND dialog) {
    return program.HasEnded() || !IsWindow(dialog) || !IsWindowVisible(dialog);
}

// The dialog's window that has the focus in its thread, or null.
HWND FocusInDialog(const Dialog& dialog) {
    HWND focus = ThreadFocus(dialog.threadId);
    return focus && (focus == dialog.window || IsChild(dialog.window, focus)) ? focus : nullptr;
}

// Where a typed key goes: the window that has the focus in the dialog, read
// when the key is sent (the previous key has been handled by then). While
// another program is in front (the editor that the run opens comes up when
// it likes), the dialog's thread has no focus at all, and a key sent to the
// dialog window itself would start from no control: the dialog is brought to
// the front first, as a person clicks it before typing, and its activation
// puts the focus back where it was.
HWND KeyTarget(const Program& program, const Dialog& dialog) {
    for (int attempt = 0; attempt < kActivateAttempts; ++attempt) {
        if (HWND focus = FocusInDialog(dialog)) return focus;
        if (IsGoneOrHidden(program, dialog.window)) return dialog.window;
        SetForegroundWindow(dialog.window);
        WaitUntilHandled(program, dialog.window);
    }
    if (HWND focus = FocusInDialog(dialog)) return focus;
    throw RobotError("the dialog does not take the focus to be typed into");
}

} // namespace

// Waits until the dialog's thread has handled every message posted to it so
// far, and every message that those posted in turn (the WM_CHAR that
// TranslateMessage makes of a WM_KEYDOWN, say), so that the next key is sent
// where this one left the focus, as with a real keyboard.
//
// The marker is a paint. The robot marks one pixel of the dialog invalid,
// without erasing, and waits until the window has no invalid area left.
// GetMessage serves a thread in a fixed order: sent messages, posted
// messages, input, and only when none of these is waiting, WM_PAINT; so the
// dialog's thread paints (and BeginPaint validates the pixel) only once its
// posted queue, with the keys and all that they posted, is empty. The robot
// keeps out of the target process: RedrawWindow and GetUpdateRect work on
// another process's window.
//
// Not used, because they are not race-free: a SendMessageTimeout(WM_NULL)
// round trip (a sent message is delivered ahead of the posted ones, as soon
// as the thread next asks for a message, so its reply says nothing about
// them); WaitForInputIdle (on Windows it tells only of the first idle
// moment); a sleep (a slow machine outruns any length). Only a paint forced
// in the middle, e.g. UpdateWindow on the dialog while it handles a key,
// could end the wait early; neither the program's dialogs nor the system's
// message box do that.
void WaitUntilHandled(const Program& program, HWND dialog) {
    if (IsGoneOrHidden(program, dialog)) return;
    RECT pixel{0, 0, 1, 1};
    RedrawWindow(dialog, &pixel, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
    DWORD start = GetTickCount();
    while (!IsGoneOrHidden(program, dialog) && GetUpdateRect(dialog, nullptr, FALSE)) {
        if (GetTickCount() - start >= kHandleTimeoutMs)
            throw RobotError("the dialog has not handled the answer after 10 s");
        Sleep(kHandlePollMs);
    }
}

void Perform(const Program& program, const Dialog& dialog, const Action& action) {
    switch (action.kind) {
    case Action::Kind::Press: {
        HWND button = FindButton(dialog, action.button);
        if (!button)
            throw RobotError("the dialog has no button " + Quoted(Cp932ToUtf8(action.button)));
        if (!PostMessageA(button, BM_CLICK, 0, 0)) throw RobotError(ErrorText("BM_CLICK failed"));
        WaitUntilHandled(program, dialog.window);
        break;
    }
    case Action::Kind::Key:
        PostKey(KeyTarget(program, dialog), action.virtualKey, action.alt);
        WaitUntilHandled(program, dialog.window);
        break;
    case Action::Kind::Close:
        if (!PostMessageA(dialog.window, WM_SYSCOMMAND, SC_CLOSE, 0))
            throw RobotError(ErrorText("WM_SYSCOMMAND failed"));
        WaitUntilHandled(program, dialog.window);
        break;
    case Action::Kind::Quit:
        if (!PostThreadMessageA(dialog.threadId, WM_QUIT, 0, 0))
            throw RobotError(ErrorText("WM_QUIT could not be posted"));
        break;
    case Action::Kind::EndSession: {
        HWND application = program.ApplicationWindow();
        if (!application) throw RobotError("the program has no \"TApplication\" window");
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(application, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kSendTimeoutMs,
                            &answer);
        // The program may end inside this call; the missing reply is expected.
        SendMessageTimeoutA(application, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, kSendTimeoutMs,
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
                                 reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                                 kSendTimeoutMs, &result) ||
            !result)
            throw RobotError(ErrorText("WM_SETTEXT on the edit field failed"));
        return;
    }
    throw RobotError("the dialog has no edit field to type into");
}

} // namespace vorn::robot
