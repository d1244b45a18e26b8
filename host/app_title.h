// The application title rule, portable: from the program's full path take
// what follows the last backslash, cut it at the first ".", and lower every
// character but the first. Both searches skip the trail bytes of code page
// 932 double-byte characters, whose second byte may be 0x5C, the backslash.
#pragma once

#include "host/exceptions.h"

namespace vorn {

// True for a code page 932 lead byte (0x81-0x9F, 0xE0-0xFC).
bool IsCp932LeadByte(unsigned char byte);

// `lowerTail` lowers the characters of the part behind the first character
// (CharLowerA on Windows); the default lowers ASCII letters only.
String TitleFromProgramPath(const String& path, void (*lowerTail)(String&) = nullptr);

} // namespace vorn
