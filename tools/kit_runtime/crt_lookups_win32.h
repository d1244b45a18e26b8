// What the kit's own programs (kit.exe, runner.exe, robot.exe, the planted
// program and library) define in place of three pieces of the MinGW-w64 C
// runtime, so that they import nothing Windows 98 lacks or only stubs
// (tools/imports/floors.tsv gives their oldest Windows). Implemented in
// crt_lookups_win32.cpp, which defines the runtime's own symbols; the
// functions below are its workings, declared for its test
// (tests/wine/crt_lookups_test.cpp).
//
// The C++ library reaches them through its locale, file streams and
// std::random_device:
//  - ___lc_codepage_func, the code page of the C locale: msvcrt.dll exports
//    it from Windows XP on. The runtime's own stand-in finds msvcrt.dll with
//    GetModuleHandleW, which 95, 98 and ME only stub.
//  - _fstat64: msvcrt.dll exports it from Windows ME and 2000 on.
//  - rand_s: no msvcrt.dll before Vista's exports it. The runtime's own
//    stand-in loads advapi32.dll with LoadLibraryW, a stub on 95, 98 and ME.
// Each is found in msvcrt.dll at run time (GetModuleHandleA, GetProcAddress:
// every Windows has them), with a fallback on the older msvcrt.dll. Nothing
// here loads a library.
#pragma once

#include <sys/stat.h>

namespace vorn::kit_runtime {

// The code page of the C locale (0 for the "C" locale): msvcrt.dll's
// ___lc_codepage_func where it has one, else its __lc_codepage variable,
// which every msvcrt.dll exports.
unsigned CodePageOfCLocale();

// _fstat64: msvcrt.dll's own where it has one, else StatThroughOlderCall.
int StatOpenFile(int descriptor, struct _stat64* status);
// _fstati64 (every msvcrt.dll), whose times are 32-bit on 32-bit Windows,
// widened to _fstat64's record. -1 with errno ENOSYS without msvcrt.dll's.
int StatThroughOlderCall(int descriptor, struct _stat64* status);

// rand_s: msvcrt.dll's own (Vista and later), else advapi32.dll's
// RtlGenRandom (exported as SystemFunction036 from XP on) when the program
// has advapi32.dll loaded; else EINVAL and *value 0, as rand_s fails.
int RandomNumber(unsigned* value);

} // namespace vorn::kit_runtime
