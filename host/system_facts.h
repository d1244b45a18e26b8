// Facts about the system that start-up reads once and every unit may consult.
// Implemented in system_facts_win32.cpp (GetVersionExA, GetSystemMetrics,
// IsDBCSLeadByte).
//
// Contract: CaptureSystemFacts() is called once by start-up before the run;
// GetSystemFacts() before that returns all-false facts.
#pragma once

namespace vorn {

struct SystemFacts {
    bool DbcsEnabled = false; // GetSystemMetrics(SM_DBCSENABLED) != 0
    bool NtPlatform = false;  // GetVersionExA reports VER_PLATFORM_WIN32_NT
};

void CaptureSystemFacts();
const SystemFacts& GetSystemFacts();

// Whether `byte` begins a double-byte character in the system's ANSI code
// page (IsDBCSLeadByte): the rule for the title, the error report's module
// name and the dialogs' access keys. Usable at any time.
bool IsSystemLeadByte(unsigned char byte);

} // namespace vorn
