// The dialog report robot.exe prints: one "name: value" per line, UTF-8,
// texts quoted with escapes so that a line break in a message stays visible.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

namespace vorn::robot {
namespace {

const char* RoleName(ControlRole role) {
    static const char* const kNames[] = {"button", "edit", "static", "other"}; // ControlRole order
    return kNames[static_cast<int>(role)];
}

std::string Box(const RECT& r) {
    return "x=" + std::to_string(r.left) + " y=" + std::to_string(r.top) +
           " width=" + std::to_string(r.right - r.left) +
           " height=" + std::to_string(r.bottom - r.top);
}

std::string Text(const std::string& cp932) {
    return Quoted(Cp932ToUtf8(cp932));
}

} // namespace

std::string FormatReport(const Dialog& dialog, int number) {
    std::string out = "dialog " + std::to_string(number) + "\n";
    out += "kind: " + std::string(ShapeName(dialog.shape)) + "\n";
    out += "class: " + Text(dialog.className) + "\n";
    out += "caption: " + Text(dialog.caption) + "\n";
    if (dialog.shape == DialogShape::InputBox) {
        out += "prompt: " + Text(dialog.prompt) + "\n";
        out += "edit: " + Text(dialog.editText) + "\n";
    } else {
        out += "text: " + Text(dialog.text) + "\n";
    }
    out += "buttons:";
    for (const std::string& button : dialog.buttons)
        out += " " + Text(button);
    out += "\nwindow: " + Box(dialog.windowRect) + "\n";
    out += "client: " + Box(dialog.clientRect) + "\n";
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const Control& control = dialog.controls[i];
        out += "control " + std::to_string(i + 1) + ": " + RoleName(control.role) + " " +
               Text(control.text) + " id=" + std::to_string(control.id) +
               " class=" + Text(control.className) + " " + Box(control.rect) +
               (control.visible ? "" : " hidden") + "\n";
    }
    if (dialog.focusIndex >= 0) {
        const Control& focused = dialog.controls[dialog.focusIndex];
        out += "focus: control " + std::to_string(dialog.focusIndex + 1) + " (" +
               RoleName(focused.role) + " " + Text(focused.text) + ")\n";
    } else {
        out += std::string("focus: ") +
               (dialog.focusWindow == dialog.window ? "the dialog itself"
                : dialog.focusWindow                ? "another window"
                                                    : "none") +
               "\n";
    }
    return out;
}

} // namespace vorn::robot
