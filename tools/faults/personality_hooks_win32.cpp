// Implements the part of tools/faults/fault_hook.h that plays an older
// Windows beyond its stubs: what a program looks up, the system folder, and
// the registry's lengths. Each hook calls the real function, reached through
// an address asked of the system (hook_tables_win32.h), and changes its answer
// only while a Windows is played.
#include "tools/faults/hook_tables_win32.h"

#include <cstring>

namespace vorn::faults {
namespace {

VORN_REAL(GetProcAddress);
VORN_REAL(RegQueryInfoKeyA);
VORN_REAL(RegEnumKeyExA);
VORN_REAL(GetSystemDirectoryA);
VORN_REAL(GetWindowsDirectoryA);
VORN_REAL(GetModuleFileNameA);

std::string FileNamePart(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

// What the program and its runtime look up in Windows' own libraries is found
// only where the Windows played has it (personality.h): Wine's libraries
// export the functions of later Windows whatever version Wine reports. A library
// of the program's own, or none of the system folder's, is looked in as it is.
FARPROC WINAPI HookGetProcAddress(HMODULE module, LPCSTR name) {
    char path[MAX_PATH] = "";
    char system[MAX_PATH] = "";
    const DWORD length = RealGetModuleFileNameA(module, path, sizeof path);
    const UINT systemLength = RealGetSystemDirectoryA(system, sizeof system);
    if (Personality().major == 0 || length == 0 || length >= sizeof path || systemLength == 0 ||
        systemLength >= sizeof system ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, systemLength, system,
                       systemLength) != CSTR_EQUAL ||
        path[systemLength] != '\\')
        return RealGetProcAddress(module, name);
    const std::string library = FileNamePart(path);
    // A name whose pointer fits in 16 bits is an ordinal.
    const bool byOrdinal = (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0;
    const FunctionOnPersonality known = byOrdinal
                                            ? FunctionOnPersonality{false, nullptr}
                                            : LookUpFunction(Personality(), library.c_str(), name);
    if (known.found) return RealGetProcAddress(module, name);
    const std::string function =
        byOrdinal ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name;
    LogPlay("refused GetProcAddress " + library + " " + function + ": " +
            (known.firstWindows ? std::string("first in ") + known.firstWindows
                                : std::string("not known to be on ") + Personality().title +
                                      " (tools/faults/personality.cpp)"));
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

// Windows 98 gives the longest subkey name in bytes, NT in characters: a
// name of 10 double-byte characters is 20 on 98 and 10 on NT, which is why
// the program doubles NT's figure on a double-byte system. Wine gives
// characters under every Windows version it is set to: 8 for a name of 8
// double-byte characters (16 bytes) with Version=win98 as with its NT
// default (Wine 8.0, 64-bit, code page 932). So on 98 the figure is counted
// again here, in bytes, from the names themselves; like NT's it leaves out the
// terminating zero, the smaller of the two readings 98's documentation allows.
LONG WINAPI HookRegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classLength, LPDWORD reserved,
                                 LPDWORD subkeys, LPDWORD longestSubkey, LPDWORD longestClass,
                                 LPDWORD values, LPDWORD longestValueName, LPDWORD longestValue,
                                 LPDWORD securityLength, PFILETIME written) {
    const LONG result = RealRegQueryInfoKeyA(key, keyClass, classLength, reserved, subkeys,
                                             longestSubkey, longestClass, values, longestValueName,
                                             longestValue, securityLength, written);
    if (result != ERROR_SUCCESS || !longestSubkey || !Personality().nineX) return result;
    // A key name is at most 255 characters, 510 bytes.
    char name[512];
    DWORD bytes = 0;
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof name;
        const LONG found =
            RealRegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (found == ERROR_NO_MORE_ITEMS) break;
        if (found == ERROR_SUCCESS && size > bytes) bytes = size;
    }
    if (bytes != *longestSubkey)
        LogPlay("played RegQueryInfoKeyA: the longest subkey name " + std::to_string(bytes) +
                " bytes on " + Personality().name + ", where Wine gives " +
                std::to_string(*longestSubkey) + " characters");
    *longestSubkey = bytes;
    return result;
}

// Windows 98's system folder is the Windows folder's SYSTEM, which holds no
// notepad.exe (98 keeps it in the Windows folder itself); Wine gives
// system32, which holds one, under every version it is set to.
UINT WINAPI HookGetSystemDirectoryA(LPSTR buffer, UINT size) {
    char windows[MAX_PATH];
    const UINT length = RealGetWindowsDirectoryA(windows, sizeof windows);
    if (!Personality().nineX || length == 0 || length >= sizeof windows)
        return RealGetSystemDirectoryA(buffer, size);
    const std::string folder = std::string(windows, length) + "\\SYSTEM";
    LogPlay("played GetSystemDirectoryA: " + folder + " on " + Personality().name);
    // As Windows: the length without the zero when it fits, else the size
    // the buffer would need.
    if (!buffer || size <= folder.size()) return static_cast<UINT>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<UINT>(folder.size());
}

} // namespace

std::span<const Hook> PersonalityHooks() {
    static const Hook hooks[] = {
        VORN_HOOK("kernel32.dll", GetProcAddress),
        VORN_HOOK("advapi32.dll", RegQueryInfoKeyA),
        VORN_HOOK("kernel32.dll", GetSystemDirectoryA),
        VORN_HELPER("advapi32.dll", RegEnumKeyExA),
        VORN_HELPER("kernel32.dll", GetWindowsDirectoryA),
        VORN_HELPER("kernel32.dll", GetModuleFileNameA),
    };
    return hooks;
}

} // namespace vorn::faults
