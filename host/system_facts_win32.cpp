// Implements host/system_facts.h on Win32.
#include "host/system_facts.h"

#include <windows.h>

namespace vorn {

namespace {
SystemFacts g_facts;
} // namespace

void CaptureSystemFacts() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    g_facts.NtPlatform = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    g_facts.DbcsEnabled = GetSystemMetrics(SM_DBCSENABLED) != 0;
}

const SystemFacts& GetSystemFacts() {
    return g_facts;
}

bool IsSystemLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

} // namespace vorn
