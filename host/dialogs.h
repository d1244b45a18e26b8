// The run's modal dialogs: the message dialog, the information message and the
// input box. Implemented in dialogs_win32.cpp (windows built by code, each with
// its own modal loop), laid out by dialog_layout.h.
//
// Contract: each call builds its window owned by the hidden application
// window, shows it modally (other top-level windows of the thread disabled),
// waits until it is closed, destroys it and returns. Closing without a button
// (close box, Alt+F4, a quit message) gives 2. An access key is one typed
// single-byte character: neither byte of a double-byte character, which
// arrives as two, ever presses a button. When a window cannot be made,
// EWin32Error is raised after the dialog is destroyed. Texts are code page 932.
#pragma once

#include "host/exceptions.h"
#include <cstdint>

namespace vorn {

using TModalResult = std::int32_t;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

enum class DialogKind { Warning = 0, Error = 1, Information = 2, Confirmation = 3, Custom = 4 };

// Bit n stands for the button kind at position n; the position is also the
// order of the buttons from left to right.
enum DialogButton {
    dbYes,
    dbNo,
    dbOK,
    dbCancel,
    dbAbort,
    dbRetry,
    dbIgnore,
    dbAll,
    dbNoToAll,
    dbYesToAll,
    dbHelp,
    DialogButtonCount
};
using DialogButtons = std::uint32_t;
constexpr DialogButtons ButtonSet(DialogButton b) {
    return DialogButtons{1} << b;
}
constexpr DialogButtons kButtonsOkCancel = ButtonSet(dbOK) | ButtonSet(dbCancel); // 12
constexpr DialogButtons kButtonsYesNo = ButtonSet(dbYes) | ButtonSet(dbNo);       // 3
constexpr DialogButtons kButtonsOk = ButtonSet(dbOK);                             // 4

TModalResult AskUser(const String& message, DialogKind kind, DialogButtons buttons,
                     std::int32_t helpContext, int left = -1, int top = -1);
// The runs' warning questions: OK of OK/Cancel, Yes of Yes/No.
inline bool ConfirmedWithOk(const String& text) {
    return AskUser(text, DialogKind::Warning, kButtonsOkCancel, 0) == mrOk;
}
inline bool AnsweredYes(const String& text) {
    return AskUser(text, DialogKind::Warning, kButtonsYesNo, 0) == mrYes;
}
// Kind Custom (caption: the application title), OK alone, result discarded.
void Inform(const String& message);
// The input box; returns the field's text on OK, else `defaultText`.
String PromptForText(const String& caption, const String& prompt, const String& defaultText);
// The input box with `value` as initial text: on OK sets `value` to the field's
// text and returns true; otherwise leaves it and returns false.
bool QueryText(const String& caption, const String& prompt, String& value);

} // namespace vorn
