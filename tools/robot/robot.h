// Drives a Windows program's modal dialogs from outside, as a person would:
// starts the program, finds each dialog it shows, reads what the dialog says
// and answers it with a click, a key, the close box or a system message.
//
// Every text here is code page 932, as the dialogs hold it; text_codec.h turns
// it into UTF-8 for reports. Messages of RobotError and of ParseAction's
// `problem` are UTF-8, ready to print.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorn::robot {

// Something the robot was asked to do cannot be done (the program does not
// start, the button does not exist, the screenshot cannot be written).
struct RobotError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What a dialog window is built from: a message box of the system (class
// "#32770"), a window with an edit field (the input box), or any other form.
enum class DialogShape { Form, InputBox, MessageBox };
const char* ShapeName(DialogShape shape); // "form", "input", "messagebox"

enum class ControlRole { Button, Edit, Static, Other };

struct Control {
    HWND window = nullptr;
    std::string className;
    ControlRole role = ControlRole::Other;
    int id = 0;
    std::string text; // WM_GETTEXT
    RECT rect{};      // client coordinates of the dialog
    bool visible = false;
};

struct Dialog {
    HWND window = nullptr;
    DWORD threadId = 0;
    std::string className;
    DialogShape shape = DialogShape::Form;
    std::string caption;
    std::string text;                 // the message; empty for the input box
    std::vector<std::string> buttons; // visible buttons, left to right, "&" kept
    std::string prompt;               // input box only
    std::string editText;             // input box only
    RECT windowRect{};                // screen coordinates
    RECT clientRect{};
    std::vector<Control> controls; // children in window order
    int focusIndex = -1;           // into controls; -1 when the focus is elsewhere
    HWND focusWindow = nullptr;
};

class Program {
  public:
    // Starts `commandLine` in `currentDir` (empty: the robot's own).
    Program(const std::string& commandLine, const std::string& currentDir);
    // A program still running at this point is stopped: whoever started it
    // has given up on it.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD ProcessId() const { return info_.dwProcessId; }
    HANDLE ProcessHandle() const { return info_.hProcess; }
    bool HasEnded() const;
    bool WaitForEnd(DWORD milliseconds) const;
    // STILL_ACTIVE (259) while the program runs.
    DWORD ExitCode() const;
    void Kill(UINT exitCode = 1);

    // Visible top-level windows of the process, its hidden "TApplication"
    // window left out; enabled ones first (the modal dialog is the enabled one).
    std::vector<HWND> DialogWindows() const;
    // The hidden application window, or null.
    HWND ApplicationWindow() const;

  private:
    PROCESS_INFORMATION info_{}; // its handles closed by the destructor
};

struct WaitResult {
    enum Kind { DialogShown, Ended, TimedOut } kind;
    HWND dialog = nullptr;
};

// Waits until the program shows a dialog and that dialog sits in its message
// loop with its contents settled, or until the program ends. `onPoll` runs on
// every round of polling (the runner watches for the editor there).
WaitResult WaitForDialog(const Program& program, DWORD timeoutMs,
                         const std::function<void()>& onPoll = {});

// Reads everything the dialog shows; the focus comes from the dialog's thread.
Dialog ReadDialog(HWND window);

// The window's class name, as GetClassNameA gives it.
std::string ClassName(HWND window);
// The window that has the keyboard focus in thread `threadId`, or null. Read
// without a message to that thread, so it does not wait for the thread.
HWND ThreadFocus(DWORD threadId);

struct Action {
    enum class Kind { Press, Key, Close, Quit, EndSession } kind = Kind::Close;
    std::string button; // Press: the caption, as written
    UINT virtualKey = 0;
    bool alt = false;
    std::string source; // the action as written, for messages
};

// "press <caption>", "key enter|escape|tab|space|left|right|up|down|f1..f12|
// <letter or digit>", each key optionally "alt+"; "close", "quit",
// "endsession". Returns nullopt and a reason when the text is none of these.
std::optional<Action> ParseAction(const std::string& text, std::string* problem);

// Performs the action on the dialog (read just before). A click, a key or the
// close box is posted as a person's would arrive, and Perform returns only
// once the dialog's thread has handled it (or the dialog or program is gone):
// the next key then goes where this one left the focus. Throws RobotError
// when the action has no target, e.g. no button with that caption, or when
// the dialog has not handled it within 10 s.
void Perform(const Program& program, const Dialog& dialog, const Action& action);

// Replaces the whole text of the input box's edit field.
void TypeIntoEdit(const Dialog& dialog, const std::string& text);

// Waits until the dialog window is gone or hidden (true) or the program ended
// (true); false on timeout.
bool WaitUntilClosed(const Program& program, HWND dialog, DWORD timeoutMs,
                     const std::function<void()>& onPoll = {});

// Waits until the dialog's thread has handled everything posted to it so far
// and painted (tools/robot/dialog_actions.cpp says how); at once when the
// dialog or the program is gone. Throws RobotError after 10 s.
void WaitUntilHandled(const Program& program, HWND dialog);

// Lets the dialog's thread handle what was posted to it: waits until the
// program is idle again and a short while more.
void Settle(const Program& program);

// A 24-bit BMP of the window as it is on the screen, frame and caption included.
void SaveScreenshot(HWND window, const std::string& bmpPath);

// The dialog as lines of "name: value" in UTF-8, for people and scripts.
std::string FormatReport(const Dialog& dialog, int number);

} // namespace vorn::robot
