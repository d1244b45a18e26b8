// The patch run: one straight sequence of steps from the first dialog to the
// closing message. Its state lives in PatchRun's fields, each set by Run()
// from what a step returns; every registry handle, stream, list and profile
// writer is made and released by the step that needs it. Exceptions that no
// guarded unit takes leave Run() and end the program through the error report.
#pragma once

#include "app/client_location.h"
#include "host/exceptions.h"

namespace vorn {

class PatchRun {
  public:
    void Run();

  private:
    String WindowsDir; // as the system reports it, without a trailing backslash
    ClientLocation Client;
    String FontName; // the replacement font the user named
    bool KeepBackup = false;
    bool RunSucceeded = false;
};

// The program's entry into the run.
void RunPatch();

} // namespace vorn
