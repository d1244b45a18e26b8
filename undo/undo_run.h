// The undo run of UNVORN.EXE: one straight sequence that takes back what the
// patch run changed, each change only once it is sure to be the run's own.
// Like the patch run it keeps its state in UndoRun's fields, each set by Run()
// from what a step returns, never calls Win32 itself and catches nothing: an
// exception that leaves Run() ends the program through the error report.
#pragma once

#include "app/client_location.h"
#include "host/exceptions.h"

namespace vorn {

class UndoRun {
  public:
    void Run();

  private:
    String WindowsDir; // as the system reports it, without a trailing backslash
    ClientLocation Client;
};

// The program's entry into the undo.
void RunUndo();

} // namespace vorn
