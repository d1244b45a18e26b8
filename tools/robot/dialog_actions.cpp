// Answering a dialog: clicks, keys, the close box and the system's messages.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

#include <cctype>
#include <cstring>

namespace vorn::robot {
namespace {

constexpr UINT SendTimeoutMs = 5000;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<UINT> KeyByName(const std::string& name) {
    static const struct {
        const char* name;
        UINT key;
    } named[] = {{"enter", VK_RETURN},   {"return", VK_RETURN}, {"escape", VK_ESCAPE},
                 {"esc", VK_ESCAPE},     {"tab", VK_TAB},       {"space", VK_SPACE},
                 {"left", VK_LEFT},      {"right", VK_RIGHT},   {"up", VK_UP},
                 {"down", VK_DOWN},      {"home", VK_HOME},     {"end", VK_END},
                 {"backspace", VK_BACK}, {"delete", VK_DELETE}};
    for (const auto& entry : named)
        if (name == entry.name) return entry.key;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
    if (name.size() >= 2 && name[0] == 'f') {
        int number = std::atoi(name.c_str() + 1);
        if (number >= 1 && number <= 12 && name == "f" + std::to_string(number))
            return static_cast<UINT>(VK_F1 + number - 1);
    }
    return std::nullopt;
}

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

std::optional<Action> ParseAction(const std::string& text, std::string* problem) {
    Action action;
    action.source = text;
    if (text == "close") {
        action.kind = Action::Kind::Close;
    } else if (text == "quit") {
        action.kind = Action::Kind::Quit;
    } else if (text == "endsession") {
        action.kind = Action::Kind::EndSession;
    } else if (text.rfind("press ", 0) == 0 && text.size() > 6) {
        action.kind = Action::Kind::Press;
        action.button = text.substr(6);
    } else if (text.rfind("key ", 0) == 0) {
        action.kind = Action::Kind::Key;
        std::string name = Lower(text.substr(4));
        if (name.rfind("alt+", 0) == 0) {
            action.alt = true;
            name = name.substr(4);
        }
        std::optional<UINT> key = KeyByName(name);
        if (!key) {
            if (problem)
                *problem = "unknown key " + Quoted(Cp932ToUtf8(text.substr(4))) +
                           " (known: enter, escape, tab, space, left, right, up, down, home, "
                           "end, backspace, delete, f1-f12, a letter or digit; alt+ before any)";
            return std::nullopt;
        }
        action.virtualKey = *key;
    } else {
        if (problem)
            *problem = "not an answer (expected \"press <caption>\", \"key <key>\", \"close\", "
                       "\"quit\" or \"endsession\")";
        return std::nullopt;
    }
    return action;
}

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
