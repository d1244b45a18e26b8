// The fault hook linked into the test-only twins of VORN.EXE and UNVORN.EXE
// (fault_hook_win32.cpp): at start-up it points the program's own import
// table, for every call that changes the machine, at a hook that counts the
// call, logs it and, at the chosen one, makes it fail or ends the process
// there. The shipped programs do not carry it.
//
// Set in the twin's environment (no variable: every hook passes straight
// through and nothing is logged):
//   VORN_FAULT_SWEEP=MODE NUMBER LOG
// MODE is `count` (nothing injected), `fail` (call NUMBER fails with a Windows
// error and takes no effect), `die` (the process ends at call NUMBER before it
// takes effect), `half` (call NUMBER, a WriteFile, writes the first half of
// its bytes and the process ends) or `lie` (call NUMBER, one of
// kCallsThatCanLie, reports success and takes no effect, as a disk that loses
// a deferred write does). LOG gets one line per counted call,
// "N FUNCTION DETAIL" (code page 932), written before the call is made, then
// "fault N" when the fault is injected; and at start-up "uncovered FUNCTION"
// for each machine-changing function the program imports without a hook.
//
//   VORN_PERSONALITY=NAME
// makes the twin play an older Windows (personality.h) where the bench's
// Wine, though set to report that Windows' version, still behaves as a later
// one: `win98` or `win2000`. Each function the program imports that this
// Windows exports only as a stub fails as it does there, with
// ERROR_CALL_NOT_IMPLEMENTED, takes no effect and is not counted; a function
// it looks up that this Windows lacks is not found; on Windows 98 the system
// folder and the registry's subkey-name lengths are 98's (fault_hook_win32.cpp
// says what each play stands for). Each play is logged, "played ..." or
// "refused ...", to LOG, or else to the file VORN_PERSONALITY_LOG names.
// Without the variable, or with `today`, nothing is played.
#pragma once

#include "tools/faults/personality.h"

namespace vorn::faults {

inline constexpr char kSweepVariable[] = "VORN_FAULT_SWEEP";

// The exit code of a process the hook ended, as a crash or a kill would.
inline constexpr unsigned kDiedExitCode = 86;

inline constexpr const char* kCallsThatCanLie[] = {
    "WriteFile",      "FlushFileBuffers", "SetEndOfFile", "MoveFileA",
    "MoveFileExA",    "CopyFileA",        "DeleteFileA",  "WritePrivateProfileStringA",
    "RegSetValueExA", "RegDeleteValueA"};

} // namespace vorn::faults
