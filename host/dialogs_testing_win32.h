// The dialogs' seams for their tests: the message dialog built but not yet
// shown, its window, and the modal loop alone. The runs use dialogs.h only.
// Implemented in dialogs_win32.cpp.
#pragma once

#include "host/dialogs.h"

#include <windows.h>

#include <memory>

namespace vorn {

// A built dialog window with its controls; destroying the object destroys the
// window. Only dialogs_win32.cpp sees inside.
class DialogForm;
struct DialogFormDeleter {
    void operator()(DialogForm* form) const;
};
using DialogFormPtr = std::unique_ptr<DialogForm, DialogFormDeleter>;

// The message dialog, built, laid out and hidden; AskUser shows it.
DialogFormPtr BuildMessageForm(const String& message, DialogKind kind, DialogButtons buttons);
HWND FormWindow(const DialogForm& form);
// Shows the form modally and returns its result once it is set.
TModalResult ShowModal(DialogForm& form);

} // namespace vorn
