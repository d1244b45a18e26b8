// The machine the scenarios meet: which kind of Windows it is, of which
// family, whether the bench plays an older Windows on it, and where its
// Windows folder lies. Scenarios write that folder as C:\windows (the bench's
// Wine has it there); on a Windows machine it is whatever the machine says,
// e.g. C:\WINDOWS on XP.
#pragma once

#include "tools/faults/personality.h"
#include "tools/runner/scenario.h"

#include <optional>
#include <string>

namespace vorn::runner {

// "wine" where ntdll is Wine's (it exports wine_get_version), else "windows".
std::string ThisMachineKind();

// The older Windows the bench plays (VORN_PERSONALITY, tools/bench/personality):
// nullptr when none is played, or `today`. Throws std::runtime_error on a
// name personality.h does not know.
const faults::PersonalityName* PlayedPersonality();
// Why the Windows version reported here is not the one `played` needs
// (UTF-8); nullopt when it is.
std::optional<std::string> VersionMismatch(const faults::PersonalityName& played);
// The family the programs see: "9x" or "nt"; from the personality when one is
// played, else from GetVersionExA.
std::string ThisWindowsFamily();
// What GetWindowsDirectoryA gives, code page 932, without a trailing backslash.
std::string ThisWindowsFolder();

// Why the scenario does not run on a machine of `machineKind` ("wine" or
// "windows") and `family` ("9x" or "nt") (UTF-8), from its "only_on"; nullopt
// when it runs.
std::optional<std::string> SkipReason(const Scenario& scenario, const std::string& machineKind,
                                      const std::string& family);

// Puts `windowsFolder` for the scenario's C:\windows: at the start of every
// path it names (in any case, as Windows compares paths), and in the dialog
// texts as written (the program shows the folder as the machine gives it).
// The identity where the folder is C:\windows.
void AdaptToWindowsFolder(Scenario& scenario, const std::string& windowsFolder);

} // namespace vorn::runner
