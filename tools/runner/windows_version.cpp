// Implements tools/runner/windows_version.h.
#include "tools/runner/windows_version.h"

#include <tuple>

namespace vorn::runner {
namespace {

std::string Number(DWORD major, DWORD minor) {
    // 98 is 4.10, ME 4.90: the minor number is shown as given.
    return std::to_string(major) + "." + std::to_string(minor);
}

// The build as the platform means it: 95 to ME keep the version in the high word.
DWORD Build(const WindowsVersion& version) {
    return version.platform == VER_PLATFORM_WIN32_WINDOWS ? version.build & 0xFFFF : version.build;
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

} // namespace

WindowsVersion ThisWindowsVersion() {
    WindowsVersion version;
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    OSVERSIONINFOA& basic = reinterpret_cast<OSVERSIONINFOA&>(extended);
    bool isExtended = GetVersionExA(&basic) != 0;
    if (!isExtended) {
        basic.dwOSVersionInfoSize = sizeof basic;
        if (!GetVersionExA(&basic)) return version;
    }
    version.major = basic.dwMajorVersion;
    version.minor = basic.dwMinorVersion;
    version.build = basic.dwBuildNumber;
    version.platform = basic.dwPlatformId;
    version.csdVersion = basic.szCSDVersion;
    if (isExtended) version.servicePack = extended.wServicePackMajor;
    return version;
}

std::string WindowsName(const WindowsVersion& version) {
    const DWORD major = version.major, minor = version.minor, build = Build(version);
    std::string name;
    if (version.platform == VER_PLATFORM_WIN32_WINDOWS) {
        if (major == 4 && minor == 0)
            name = "Windows 95";
        else if (major == 4 && minor == 10)
            name = build >= 2222 ? "Windows 98 SE" : "Windows 98";
        else if (major == 4 && minor == 90)
            name = "Windows ME";
        else
            name = "Windows " + Number(major, minor) + " (95 to ME)";
        return name;
    }
    if (version.platform != VER_PLATFORM_WIN32_NT)
        return "Windows " + Number(major, minor) + " (platform " +
               std::to_string(version.platform) + ")";
    if (major == 4)
        name = "Windows NT 4.0";
    else if (major == 5 && minor == 0)
        name = "Windows 2000";
    else if (major == 5 && minor == 1)
        name = "Windows XP";
    else if (major == 5 && minor == 2)
        name = "Windows XP x64 or Server 2003";
    else if (major == 6 && minor == 0)
        name = "Windows Vista";
    else if (major == 6 && minor == 1)
        name = "Windows 7";
    else if (major == 6 && minor == 2)
        name = "Windows 8 or later";
    else if (major == 6 && minor == 3)
        name = "Windows 8.1";
    else if (major == 10 && minor == 0)
        name = build >= 22000 ? "Windows 11" : "Windows 10";
    else
        name = "Windows " + Number(major, minor);
    if (version.servicePack) name += " SP" + std::to_string(version.servicePack);
    return name;
}

std::optional<std::string> BelowFloor(const WindowsVersion& version, const WindowsFloor& floor) {
    if (version.platform != VER_PLATFORM_WIN32_NT) {
        if (floor.onNineX &&
            std::tie(version.major, version.minor) >= std::tie(floor.nineXMajor, floor.nineXMinor))
            return std::nullopt;
    } else if (std::tie(version.major, version.minor, version.servicePack) >=
               std::tie(floor.major, floor.minor, floor.servicePack)) {
        return std::nullopt;
    }
    return std::string("they need ") + floor.name + " or later: this is " + WindowsName(version);
}

std::string DescribeWindows(const WindowsVersion& version, UINT codePage,
                            const std::string& ntdllVersion) {
    std::string csd = Trimmed(version.csdVersion);
    return WindowsName(version) + " (GetVersionExA: version " +
           Number(version.major, version.minor) + " build " + std::to_string(Build(version)) +
           ", platform " + std::to_string(version.platform) +
           (csd.empty() ? "" : ", \"" + csd + "\"") +
           (ntdllVersion.empty() ? "" : "; ntdll: " + ntdllVersion) + "), code page " +
           std::to_string(codePage);
}

std::string NtdllVersionIfOther(const WindowsVersion& version) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void*>(
                                     GetProcAddress(ntdll, "RtlGetVersion")))
                               : nullptr;
    OSVERSIONINFOW real{};
    real.dwOSVersionInfoSize = sizeof real;
    if (!rtlGetVersion || rtlGetVersion(&real) != 0) return "";
    if (real.dwMajorVersion == version.major && real.dwMinorVersion == version.minor &&
        real.dwBuildNumber == version.build)
        return "";
    return Number(real.dwMajorVersion, real.dwMinorVersion) + " build " +
           std::to_string(real.dwBuildNumber);
}

} // namespace vorn::runner
