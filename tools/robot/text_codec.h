// Conversions between the UTF-8 of scenario files and reports and the code
// page 932 that every text takes on the machine (window texts, registry,
// file names, file contents).
#pragma once

#include <stdexcept>
#include <string>

namespace vorn::robot {

// Raised when a text cannot be carried over into the other encoding (a
// character code page 932 has no byte sequence for, or malformed UTF-8).
struct CodecError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Utf8ToCp932(const std::string& utf8);
// Never fails: bytes that are not valid code page 932 come out as U+FFFD, so
// that a report can always show what the machine held.
std::string Cp932ToUtf8(const std::string& cp932);
// A wide text of the machine in code page 932, as the system converts it
// (characters without a byte sequence become its default character).
std::string WideToCp932(const std::wstring& wide);

// The text with control characters and quotes escaped, between double quotes,
// for one-line reports ("a\nb" → "\"a\\nb\"").
std::string Quoted(const std::string& utf8);

// A Win32 error code as every report of the robot and the runner gives it:
// " (error 5)".
std::string ErrorSuffix(unsigned long error);

} // namespace vorn::robot
