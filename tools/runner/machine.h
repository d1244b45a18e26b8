// Putting the test machine into the state a scenario starts from: the reset
// that wipes what earlier scenarios left, then the scenario's own setup.
#pragma once

#include "tools/runner/file_access.h"
#include "tools/runner/scenario.h"

#include "host/handles_win32.h"

#include <map>
#include <string>
#include <vector>

namespace vorn::runner {

// The Windows folder as scenarios write it; on a machine, its own
// (machine_kind.h).
constexpr char kScenarioWindowsFolder[] = "C:\\windows";

// Where the machine's fixed places are and where the program comes from;
// code page 932 paths.
struct MachineLayout {
    std::string vornExe; // the VORN.EXE to lay out; the package's other programs lie beside it
    std::string distDir; // readme.txt, Korvel.fon, KorvFix.fon
    std::string programDir = "C:\\vorn"; // where the run starts
    std::string windowsDir = kScenarioWindowsFolder;
    // The runner's own keeping: win.ini's first state, the leftovers' list.
    std::string benchDir = "C:\\vorn-bench";
};

// The client's registry tree below HKEY_CURRENT_USER: every reset removes it,
// every summary lists it.
constexpr char kClientRegistryKey[] = "Software\\Mirabilis";

// Where the program folder's copy of `program` (one of PackagePrograms())
// comes from.
std::string ProgramSource(const MachineLayout& layout, const std::string& program);

// The files a scenario has "another process" hold open with no sharing; the
// runner itself is that process. Closed when released or destroyed.
class FileLocks {
  public:
    FileLocks() = default;
    FileLocks(const FileLocks&) = delete;
    FileLocks& operator=(const FileLocks&) = delete;

    void Hold(const std::string& path); // throws MachineError
    HANDLE HandleFor(const std::string& path) const;
    void Release();

  private:
    std::map<std::string, ScopedHandle> handles_; // by folded path
};

// Reset steps 1 to 4: the client's registry tree, the named files, win.ini
// (its bytes, and its [FontSubstitutes] as the profile API reads it), the
// program folder.
void ResetMachine(const Scenario& scenario, const MachineLayout& layout);
// Step 5, in the order of the setup table.
void ApplySetup(const Scenario& scenario, const MachineLayout& layout, FileLocks& locks);

std::string WinIni(const MachineLayout& layout);
// The files every summary shows besides those the scenario names.
std::vector<std::string> WatchedSystemFiles(const MachineLayout& layout);

} // namespace vorn::runner
