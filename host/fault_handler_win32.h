// Private to the start-up unit (startup_win32.cpp, fault_handler_win32.cpp);
// nothing else includes it. The contract is host/startup.h.
#pragma once

namespace vorn {

// The last-chance handler: an OS exception that no frame handles resumes in a
// stub that raises the mapped exception class at the faulting instruction, so
// the pending clean-ups run and the run's catch takes it like any other. A
// stack overflow skips the clean-ups (there is no stack left to run them) and
// is taken on the stack below `stackTop`. An unmapped fault, or one while no
// mapper is installed, ends through FatalRuntimeError with its number.
// std::terminate is routed to the same end, so no failure is ever silent.
void InstallTopLevelHandler(const void* stackTop);
void RemoveTopLevelHandler();
void InstallFaultMapper();
void RemoveFaultMapper();

// Ends the program for the exception currently being handled: the report hook
// when set, else the runtime-error box. `fallbackAddress` stands for the
// raising point of objects that carry none (std::bad_alloc, non-Exception).
[[noreturn]] void TakeCurrentException(const void* fallbackAddress);

} // namespace vorn
