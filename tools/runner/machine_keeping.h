// The test kit leaves a machine as it found it: before its first change it
// keeps what its scenarios will change, and after its last scenario it puts
// all of it back. A run that is stopped leaves its keeping marked as in
// progress; the next run puts that back before anything else.
//
// What is kept, in a folder of the kit's own (state\kept):
//   - registry trees whole: every key, every value's name, type and bytes as
//     the ANSI functions read them (strings in the machine's code page), and
//     the values' order; not the keys' permissions or times;
//   - files: their bytes and read-only attribute, or that they are absent;
//   - folders: whether each exists and the names of everything in it, with
//     every file's bytes where the folder is kept whole. Putting back removes
//     a folder that did not exist and, from one that did, whatever was added;
//     files of it that the keeping holds no bytes for are left as they are.
// Times are not kept: a file put back carries the time of its putting back.
#pragma once

#include "tools/runner/machine.h"
#include "tools/runner/scenario.h"

#include <windows.h>

#include <string>
#include <vector>

namespace vorn::runner {

struct KeptTree {
    HKEY root;
    std::string key; // code page 932
};

// Paths are code page 932.
struct KeepingPlan {
    std::vector<KeptTree> registry;
    std::vector<std::string> files;        // bytes and attribute, or absence
    std::vector<std::string> folders;      // existence and names
    std::vector<std::string> wholeFolders; // existence, names and every file's bytes
};

// Where NT Windows keeps win.ini's [FontSubstitutes] (below HKEY_LOCAL_MACHINE).
constexpr char kNtFontSubstitutesKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";

// What the kit changes on a machine with `layout`, running `scenarios` (fitted
// to its Windows folder): the client's registry tree; on NT Windows the
// registry's [FontSubstitutes]; win.ini, the fonts and the font cache of the
// Windows folder and every file the scenarios name, one by one; the folder
// of each path they name outside the Windows folder (its top folder below the
// drive); the program folder, which every scenario empties, whole.
KeepingPlan KitKeepingPlan(const MachineLayout& layout, const std::vector<Scenario>& scenarios,
                           bool nt);

class MachineKeeping {
  public:
    explicit MachineKeeping(std::string folder); // code page 932

    // A run kept the machine and has not put it all back: it was stopped.
    bool RunInProgress() const;
    // Removes a keeping that was never marked in progress: a run stopped
    // while it was keeping, before its first change.
    void DiscardUnfinished() const;
    // Keeps what `plan` names, then marks a run in progress. Throws
    // MachineError, having changed nothing on the machine, when something
    // cannot be read whole (and when a run is in progress already).
    void Keep(const KeepingPlan& plan) const;
    // Puts back everything kept, then removes the keeping. Returns what
    // differed and was put back, one item each (UTF-8). Tries every item;
    // throws MachineError naming each that could not be put back, and then
    // the keeping stays marked for the next run to try again.
    std::vector<std::string> PutBack() const;

  private:
    std::string folder_;
};

} // namespace vorn::runner
