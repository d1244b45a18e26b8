// Facts about the system that start-up reads once and every unit may consult.
// Implemented in system_facts_win32.cpp (GetVersionExA, GetSystemMetrics).
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

} // namespace vorn
