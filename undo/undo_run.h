// The undo run of UNVORN.EXE: one straight sequence that takes back what the
// patch run changed, each change only once it is sure to be the run's own.
// Like the patch run it never calls Win32 itself and catches nothing: an
// exception that leaves Run() ends the program through the error report.
#pragma once

#include "host/exceptions.h"

namespace vorn {

class UndoRun {
  public:
    void Run();

    // Steps, in the order Run() calls them.
    void RestoreProgramFile();
    void RestoreArchiveFonts();
    void RemoveFontSubstitutes();
    void OfferFontRemoval();

    String WindowsDir; // as the system reports it, without a trailing backslash
    String ClientDir;  // the client's "ICQPath", found as the patch run finds it
    String TargetFile; // chosen as the patch run chooses it
};

// The program's entry into the undo.
void RunUndo();

} // namespace vorn
