// Reading what a dialog shows, from another process.
#include "tools/robot/robot.h"

#include <algorithm>
#include <cstring>

namespace vorn::robot {
namespace {

constexpr UINT kTextTimeoutMs = 3000;
// MessageBoxA's dialog gives its message this control id.
constexpr int kMessageBoxTextId = 0xFFFF;

bool SameName(const char* a, const char* b) {
    return lstrcmpiA(a, b) == 0;
}

// RealGetWindowClassA and GetGUIThreadInfo came with Active Accessibility,
// which not every Windows of the kit's floor carries (the import audit finds
// no source placing them in Windows 98). Looked up, so that the robot starts
// everywhere; without them it tells a control by its class name alone and
// sees no focus (and then cannot type into a dialog).
template <typename Function> Function FromUser32(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

UINT RealClassName(HWND window, char* name, UINT size) {
    using Function = UINT(WINAPI*)(HWND, LPSTR, UINT);
    static const Function real = FromUser32<Function>("RealGetWindowClassA");
    return real ? real(window, name, size) : 0;
}

// Controls may be registered under a name of their own (a "TButton"
// superclass, say); the system class underneath tells what they are.
ControlRole RoleOf(HWND window, const std::string& className) {
    char real[256] = "";
    RealClassName(window, real, sizeof real);
    for (const char* name : {static_cast<const char*>(real), className.c_str()}) {
        const char* bare = (name[0] == 'T' || name[0] == 't') && name[1] ? name + 1 : name;
        for (const char* candidate : {name, bare}) {
            if (SameName(candidate, "Button")) return ControlRole::Button;
            if (SameName(candidate, "Edit")) return ControlRole::Edit;
            if (SameName(candidate, "Static") || SameName(candidate, "Label"))
                return ControlRole::Static;
        }
    }
    return ControlRole::Other;
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kTextTimeoutMs, &length))
        return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_NORMAL, kTextTimeoutMs, &copied))
        return {};
    text.resize(std::strlen(text.c_str()));
    return text;
}

struct ChildSearch {
    HWND dialog;
    std::vector<Control> controls;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<ChildSearch*>(context);
    Control control;
    control.window = window;
    control.className = ClassName(window);
    control.role = RoleOf(window, control.className);
    control.id = GetDlgCtrlID(window);
    control.text = TextOf(window);
    control.visible = IsWindowVisible(window) != FALSE;
    GetWindowRect(window, &control.rect);
    MapWindowPoints(nullptr, search.dialog, reinterpret_cast<POINT*>(&control.rect), 2);
    search.controls.push_back(std::move(control));
    return TRUE;
}

const Control* FirstTextStatic(const std::vector<Control>& controls) {
    for (const Control& control : controls)
        if (control.role == ControlRole::Static && control.visible && !control.text.empty())
            return &control;
    return nullptr;
}

} // namespace

const char* ShapeName(DialogShape shape) {
    static const char* const kNames[] = {"form", "input", "messagebox"}; // DialogShape order
    return kNames[static_cast<int>(shape)];
}

std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND ThreadFocus(DWORD threadId) {
    using Function = BOOL(WINAPI*)(DWORD, GUITHREADINFO*);
    static const Function info = FromUser32<Function>("GetGUIThreadInfo");
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    return info && info(threadId, &thread) ? thread.hwndFocus : nullptr;
}

Dialog ReadDialog(HWND window) {
    Dialog dialog;
    dialog.window = window;
    dialog.threadId = GetWindowThreadProcessId(window, nullptr);
    dialog.className = ClassName(window);
    char caption[1024] = "";
    GetWindowTextA(window, caption, sizeof caption);
    dialog.caption = caption;
    GetWindowRect(window, &dialog.windowRect);
    GetClientRect(window, &dialog.clientRect);

    ChildSearch search{window, {}};
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&search));
    dialog.controls = std::move(search.controls);

    std::vector<const Control*> buttons;
    const Control* edit = nullptr;
    for (const Control& control : dialog.controls) {
        if (!control.visible) continue;
        if (control.role == ControlRole::Button) buttons.push_back(&control);
        if (control.role == ControlRole::Edit && !edit) edit = &control;
    }
    std::stable_sort(buttons.begin(), buttons.end(), [](const Control* a, const Control* b) {
        return a->rect.left < b->rect.left;
    });
    for (const Control* button : buttons)
        dialog.buttons.push_back(button->text);

    if (dialog.className == "#32770") {
        dialog.shape = DialogShape::MessageBox;
        for (const Control& control : dialog.controls)
            if ((control.id & 0xFFFF) == kMessageBoxTextId) dialog.text = control.text;
    } else if (edit) {
        dialog.shape = DialogShape::InputBox;
        if (const Control* prompt = FirstTextStatic(dialog.controls)) dialog.prompt = prompt->text;
        dialog.editText = edit->text;
    } else {
        dialog.shape = DialogShape::Form;
        if (const Control* message = FirstTextStatic(dialog.controls)) dialog.text = message->text;
    }

    dialog.focusWindow = ThreadFocus(dialog.threadId);
    for (size_t i = 0; i < dialog.controls.size(); ++i)
        if (dialog.controls[i].window == dialog.focusWindow)
            dialog.focusIndex = static_cast<int>(i);
    return dialog;
}

} // namespace vorn::robot
