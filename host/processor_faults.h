// The processor faults the program turns into exceptions: for each fault
// code, the exception class, its message and the runtime-error number. The
// fault handler raises from this table and the error report numbers from it,
// so a fault and the box that reports it always agree. Portable.
//
// Contract: FindProcessorFault gives the row of a code, or null for a code
// not in the table (raised as EExternalException MsgExternalException, runtime
// error 255). The access violation's row has no message: its text names the
// refused address and the kind of access, which only the handler knows.
#pragma once

#include "host/exceptions.h"

#include <cstdint>
#include <exception>

namespace vorn {

struct ProcessorFault {
    std::uint32_t code;
    // The row's exception with `message`, raised at `address`.
    std::exception_ptr (*make)(const String& message, const void* address);
    bool (*isClassOf)(const Exception& e);
    const char* message;
    std::int32_t runtimeErrorNumber;
};

constexpr std::uint32_t kAccessViolationCode = 0xC0000005;
constexpr std::int32_t kUnknownFaultNumber = 255;

const ProcessorFault* FindProcessorFault(std::uint32_t code);

// The runtime-error number of a fault code: the row's, or 255.
std::int32_t RuntimeErrorNumberOfCode(std::uint32_t code);

// The row whose class `e` is of, or null. Rows are looked at in table order;
// no fault class derives from another.
const ProcessorFault* ProcessorFaultOf(const Exception& e);

} // namespace vorn
