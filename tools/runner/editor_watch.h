// Watching for the text editor that the program starts on its read-me: any
// notepad.exe whose parent is the program's process.
#pragma once

#include "host/handles_win32.h"

#include <string>
#include <vector>

namespace vorn::runner {

class EditorWatch {
  public:
    explicit EditorWatch(DWORD parentProcessId) : parent_(parentProcessId) {}
    EditorWatch(const EditorWatch&) = delete;
    EditorWatch& operator=(const EditorWatch&) = delete;
    // Looks at the running processes; cheap enough to call while waiting.
    void Poll();
    bool Started() const { return !editors_.empty(); }
    // Whether one of them has readme.txt on its command line. When a command
    // line cannot be read, the editor counts as started on it.
    bool StartedOnReadme() const;
    std::string CommandLines() const; // UTF-8, for messages
    // Ends every editor seen; the runner has no use for them after the run.
    void CloseAll();

  private:
    struct Editor {
        DWORD processId;
        ScopedHandle process;    // held from the first sight, so the id cannot be reused
        std::string commandLine; // empty when it could not be read
    };
    DWORD parent_;
    DWORD lastPoll_ = 0;
    std::vector<Editor> editors_;
};

// Ends editors left from earlier runs: notepad processes whose current folder
// is `programDir` (where the program starts them).
void CloseLeftoverEditors(const std::string& programDir);

} // namespace vorn::runner
