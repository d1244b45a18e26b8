// The application title rule, portable: from the program's full path take
// what follows the last backslash, cut it at the first ".", and lower every
// character but the first. Both searches skip the trail bytes of double-byte
// characters, whose second byte may be 0x5C, the backslash.
#pragma once

#include "host/exceptions.h"

namespace vorn {

// Whether a byte begins a double-byte character. On Windows the system's ANSI
// code page decides (IsSystemLeadByte, system_facts.h); the portable code and
// its native tests use the code page 932 table below.
using LeadByteTest = bool (*)(unsigned char byte);

// True for a code page 932 lead byte (0x81-0x9F, 0xE0-0xFC).
bool IsCp932LeadByte(unsigned char byte);

// `lowerTail` lowers the characters of the part behind the first character
// (CharLowerA on Windows); the default lowers ASCII letters only.
String TitleFromProgramPath(const String& path, void (*lowerTail)(String&) = nullptr,
                            LeadByteTest isLeadByte = IsCp932LeadByte);

} // namespace vorn
