// Which Windows the kit runs on, as GetVersionExA gives it, and whether a
// suite can run there. The kit decides by this alone: Wine set to play an
// older Windows (HKCU\Software\Wine "Version") reports that Windows here too.
#pragma once

#include "test_programs_floor.h"

#include <windows.h>

#include <optional>
#include <string>

namespace vorn::runner {

struct WindowsVersion {
    DWORD major = 0, minor = 0;
    DWORD build = 0;        // on Windows 95 to ME only the low word counts
    DWORD platform = 0;     // VER_PLATFORM_WIN32_WINDOWS (1) or VER_PLATFORM_WIN32_NT (2)
    WORD servicePack = 0;   // NT: the service pack's number
    std::string csdVersion; // as given: "Service Pack 3", " A " (98 SE), ...
};

// GetVersionExA; OSVERSIONINFOEXA where the system takes it (NT 4 SP6 and
// later), else OSVERSIONINFOA (95, 98, ME).
WindowsVersion ThisWindowsVersion();

// "Windows 98", "Windows XP SP3", "Windows 7 SP1", "Windows 8 or later"
// (8.1 to 11 report 6.2 to a program that does not declare them, as the
// kit's do not), ...
std::string WindowsName(const WindowsVersion& version);

// The oldest Windows a suite runs on, in each family.
struct WindowsFloor {
    bool onNineX;                 // whether any of 95, 98 and ME will do
    DWORD nineXMajor, nineXMinor; // the oldest of them
    DWORD major, minor;           // the oldest NT
    WORD servicePack;
    const char* name; // the oldest NT's name
};

// The Win32 test programs' floor, from the import audit's table of every
// program's floor (tools/imports/floors.tsv).
constexpr WindowsFloor kTestProgramsFloor VORN_TEST_PROGRAMS_FLOOR;

// Why a suite with `floor` cannot run on `version` ("they need Windows XP SP3
// or later: this is Windows 98"); nullopt when it can.
std::optional<std::string> BelowFloor(const WindowsVersion& version, const WindowsFloor& floor);

// The first line of the kit's log: the Windows, its version, build and
// platform as GetVersionExA gives them, and the ANSI code page (GetACP).
// `ntdllVersion`: what ntdll's RtlGetVersion says where it differs (8.1 and
// later), or empty.
std::string DescribeWindows(const WindowsVersion& version, UINT codePage,
                            const std::string& ntdllVersion);
// RtlGetVersion's "10.0 build 22631" where ntdll has it (2000 and later) and
// it differs from `version`; empty otherwise.
std::string NtdllVersionIfOther(const WindowsVersion& version);

} // namespace vorn::runner
