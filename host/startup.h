// Start-up, error report and exit. Implemented in startup_win32.cpp.
//
// Contract: RunProgram first narrows the DLL search to the system folder (the
// program's folder and the current folder left out; on Windows without
// SetDefaultDllDirectories, only the current folder), then starts the host
// (top-level handler, system facts, default font, report hook, application
// window), calls `run`, and ends the process: exit code 0 when `run` returns;
// when an exception leaves it, the pending clean-up runs, one error-report box
// names it and the exit code is 1. A failure while no report hook is installed
// shows the runtime-error box and exits with the runtime error number (217 for
// an exception). Never returns.
//
// Processor and OS faults (access violation, divide by zero, privileged or
// illegal instruction, stack overflow, ...) are raised as the fault classes
// of exceptions.h at the faulting instruction and end the same way; without
// the hook the box shows the fault's own number (216, 200, ...). A stack
// overflow skips the clean-ups: no stack is left to run them. Objects that
// are no Exception are reported under their C++ type name ("int",
// "std::runtime_error") with an empty message; std::bad_alloc as EOutOfMemory.
// Both carry the run's entry as their address, having no raising point.
#pragma once

#include "host/exceptions.h"
#include <cstdint>
#include <span>

namespace vorn {

[[noreturn]] void RunProgram(void (*run)());
// Sets the exit code 1, shows the error report for `e` raised at `address` and
// ends; a shutdown while the report is up (WM_ENDSESSION) ends with 1 as well.
[[noreturn]] void ReportAndExit(const Exception* e, const void* address);
// Finalises what start-up started and calls ExitProcess with the current exit code.
[[noreturn]] void EndProcess();
[[noreturn]] void FatalRuntimeError(std::int32_t number, const void* address);

// One piece of the host that start-up starts before the run and ends after it,
// in reverse order. `stop` (null when there is nothing to end) is also called
// for a component whose `start` raised, so it must cope with a partial start.
struct StartupComponent {
    void (*start)();
    void (*stop)();
};

// The host's components in start order: system facts, exception support
// (report hook and fault mapper), application window.
std::span<const StartupComponent> HostComponents();

// RunProgram with another component list: RunProgram(run) is
// RunProgramWith(HostComponents(), run). Lets a test program make start-up
// fail on purpose; the product itself has no way to choose another list.
[[noreturn]] void RunProgramWith(std::span<const StartupComponent> components, void (*run)());

} // namespace vorn
