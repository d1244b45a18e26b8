// Start-up, error report and exit. Implemented in startup_win32.cpp.
//
// Contract: RunProgram starts the host (top-level handler, system facts,
// default font, report hook, application window), calls `run`, and ends the
// process: exit code 0 when `run` returns; when an exception leaves it, the
// pending clean-up runs, one error-report box names it and the exit code is 1.
// A failure while no report hook is installed shows the runtime-error box and
// exits with the runtime error number (217 for an exception). Never returns.
#pragma once

#include "host/exceptions.h"
#include <cstdint>

namespace vorn {

[[noreturn]] void RunProgram(void (*run)());
// Shows the error report for `e` raised at `address`, sets the exit code 1 and ends.
[[noreturn]] void ReportAndExit(const Exception* e, const void* address);
// Finalises what start-up started and calls ExitProcess with the current exit code.
[[noreturn]] void EndProcess();
[[noreturn]] void FatalRuntimeError(std::int32_t number, const void* address);

} // namespace vorn
