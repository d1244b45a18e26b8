// Reading an answer as a scenario or the command line writes it. Apart from
// the dialog handling in dialog_actions.cpp, as it needs no window: the
// scenario reader and its fuzz harness (natively) use it alone.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

#include <cctype>
#include <cstdlib>

namespace vorn::robot {
namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<UINT> KeyByName(const std::string& name) {
    static const struct {
        const char* name;
        UINT key;
    } kNamedKeys[] = {{"enter", VK_RETURN},   {"return", VK_RETURN}, {"escape", VK_ESCAPE},
                      {"esc", VK_ESCAPE},     {"tab", VK_TAB},       {"space", VK_SPACE},
                      {"left", VK_LEFT},      {"right", VK_RIGHT},   {"up", VK_UP},
                      {"down", VK_DOWN},      {"home", VK_HOME},     {"end", VK_END},
                      {"backspace", VK_BACK}, {"delete", VK_DELETE}};
    for (const auto& entry : kNamedKeys)
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

} // namespace vorn::robot
