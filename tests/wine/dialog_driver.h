// Finding, reading and acting on the dialog that the code under test shows,
// the way the UI robot does: the dialog is found among the thread's visible
// windows of the form classes, read through its standard controls, and acted
// on by posting what the robot posts. Shared by the dialog tests.
#pragma once

#include "host/dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <vector>

namespace vorn::dialog_driver {

// ---- reading the dialog, as the robot reads it

// The thread's visible TMessageForm or TForm, null when none.
HWND FindDialog();
// Windows of the form classes the thread still has, hidden ones included.
int DialogWindowsLeft();
String ClassOf(HWND hwnd);
// A control's text by WM_GETTEXT.
String TextOf(HWND hwnd);
// A top-level window's caption by GetWindowTextA.
String CaptionOf(HWND hwnd);
// Children of one window class, left to right.
std::vector<HWND> ChildrenOf(HWND dialog, const char* className);
std::vector<String> ButtonCaptions(HWND dialog);
HWND ButtonCaptioned(HWND dialog, const String& caption);
// A control's rectangle in its dialog's client coordinates.
RECT PlaceOf(HWND control);
// The thread's focus as GetGUIThreadInfo reports it.
HWND Focused();
bool HasDefaultFrame(HWND button);

// ---- acting on the dialog, as the robot acts

using Step = std::function<void(HWND dialog)>;

// WM_KEYDOWN and WM_KEYUP posted to the focused window.
Step Key(UINT vk);
// WM_SYSKEYDOWN and WM_SYSKEYUP with the Alt bit, posted to the focused window.
Step AltKey(UINT vk);
// `vk` with `modifier` held in the keyboard state table; the next step
// releases it.
Step Held(UINT modifier, UINT vk);
// Sets the keyboard state of Shift, Ctrl and Alt: all up, or `vk` down.
void SetModifiers(UINT vk, bool down);
// Each character as a key, turned into WM_CHAR by the dialog's own loop.
Step Type(const char* text);
// Each byte as a WM_CHAR posted to the focused window, as an input method
// delivers a double-byte character to an ANSI window: lead byte, trail byte.
Step Chars(const char* bytes);
// BM_CLICK to the button with that caption.
Step Click(const String& caption);
// WM_SYSCOMMAND SC_CLOSE to the dialog.
Step CloseBox();
// WM_QUIT posted to the thread.
Step Quit();

// Runs `steps`, one per timer tick, on the dialog that the call under test
// shows; the dialog's own modal loop dispatches the ticks, and what a step
// posts is handled before the next tick. A dialog still open well after the
// last step is ended by a quit message so that a failing case cannot hang.
class Driver {
  public:
    explicit Driver(std::vector<Step> steps);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // Every step ran and the dialog closed without being forced.
    void ExpectCompleted() const;

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    static Driver* current_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int idleTicks_ = 0;
    bool forced_ = false;
    UINT_PTR timer_ = 0;
};

// Texts the tests show and expect.
inline const String kOk = "OK", kCancel = "ｷｬﾝｾﾙ", kYes = "はい(&Y)", kNo = "いいえ(&N)";
inline const String kMessage = "ICQが起動している場合はただちに終了して下さい";
inline const String kDefault = "Korvel";

} // namespace vorn::dialog_driver
