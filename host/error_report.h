// The texts of the error report and of the runtime-error box, portable.
#pragma once

#include "host/app_title.h"
#include "host/exceptions.h"
#include <cstdint>

namespace vorn {

// The string table's format + "\n" + message + ending: class name,
// module file name, 8 upper-case hex digits of `relativeAddress`, the message,
// and "." when the message is not empty and its last byte is not ".". The
// result is cut to `size` - 1 bytes (1023 for the 1024-byte report buffer).
String BuildErrorReportText(const String& format, const String& className, const String& moduleName,
                            std::uint32_t relativeAddress, const String& message,
                            std::size_t size = 1024);

// "Runtime error     at 00000000" with `number` right-aligned ending at the
// fourth of the five blanks and `address` as 8 upper-case hex digits.
String BuildRuntimeErrorText(std::int32_t number, std::uint32_t address);

// The runtime error number of an exception that ends the program through the
// runtime-error box: the processor-fault classes keep their fault's number
// (EAccessViolation 216, EDivByZero 200, ...), every other exception is 217.
std::int32_t RuntimeErrorNumber(const Exception& e);

// The part of a path behind its last backslash (trail bytes skipped).
String FileNamePart(const String& path, LeadByteTest isLeadByte = IsCp932LeadByte);

// `value` as 8 upper-case hex digits, as the reports show addresses.
String Hex8(std::uint32_t value);

// The C++ name of a thrown type from the name its type information holds:
// "St13runtime_error" gives "std::runtime_error", "N4vorn5ErrorE"
// "vorn::Error", "i" "int". Names of other forms (templates, pointers,
// functions) are handed back as they are.
String ReadableTypeName(const String& mangled);

} // namespace vorn
