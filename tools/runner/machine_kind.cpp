// Implements tools/runner/machine_kind.h.
#include "tools/runner/machine_kind.h"

#include "tools/runner/file_access.h"
#include "tools/runner/machine.h"

#include <windows.h>

#include <cstdlib>

#include <stdexcept>

namespace vorn::runner {
namespace {

bool EndsAt(const std::string& text, size_t at) {
    return at == text.size() || text[at] == '\\';
}

void AdaptPath(std::string& path, const std::string& folder) {
    const std::string written = kScenarioWindowsFolder;
    if (path.size() >= written.size() &&
        FoldPath(path.substr(0, written.size())) == FoldPath(written) &&
        EndsAt(path, written.size()))
        path = folder + path.substr(written.size());
}

void AdaptText(std::optional<std::string>& text, const std::string& folder) {
    if (!text) return;
    const std::string written = kScenarioWindowsFolder;
    for (size_t at = text->find(written); at != std::string::npos;
         at = text->find(written, at + 1)) {
        if (!EndsAt(*text, at + written.size())) continue;
        text->replace(at, written.size(), folder);
        at += folder.size() - 1;
    }
}

} // namespace

std::string ThisMachineKind() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") ? "wine" : "windows";
}

const faults::PersonalityName* PlayedPersonality() {
    // The C runtime's copy of the environment, which it takes from Windows at
    // start: its getenv is in every msvcrt.dll, where GetEnvironmentVariableA
    // is documented from XP on only (tools/imports).
    const char* name = std::getenv(faults::kPersonalityVariable);
    if (!name || !*name) return nullptr;
    const faults::PersonalityName* played = faults::FindPersonality(name);
    if (!played)
        throw std::runtime_error(
            std::string(faults::kPersonalityVariable) +
            " names no Windows the bench can play (tools/faults/personality.h)");
    return played->major == 0 ? nullptr : played;
}

namespace {
std::string FamilyOf(DWORD platform) {
    return platform == VER_PLATFORM_WIN32_WINDOWS ? "9x" : "nt";
}
} // namespace

std::optional<std::string> VersionMismatch(const faults::PersonalityName& played) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return "GetVersionExA failed";
    const std::string family = FamilyOf(version.dwPlatformId);
    if (version.dwMajorVersion == played.major && version.dwMinorVersion == played.minor &&
        family == (played.nineX ? "9x" : "nt"))
        return std::nullopt;
    return std::string(played.title) + " is played but this Windows reports " +
           std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
           " (" + family + "), not " + std::to_string(played.major) + "." +
           std::to_string(played.minor) + ": set the bench with tools/bench/personality " +
           played.name;
}

std::string ThisWindowsFamily() {
    if (const faults::PersonalityName* played = PlayedPersonality())
        return played->nineX ? "9x" : "nt";
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) ? FamilyOf(version.dwPlatformId) : "nt";
}

std::string ThisWindowsFolder() {
    char folder[MAX_PATH] = "";
    UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    std::string path(folder, length < sizeof folder ? length : 0);
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path.empty() ? kScenarioWindowsFolder : path;
}

std::optional<std::string> SkipReason(const Scenario& scenario, const std::string& machineKind,
                                      const std::string& family) {
    if (!scenario.onlyOn) return std::nullopt;
    const std::string& wanted = scenario.onlyOn->windows;
    const std::string& here = wanted == "9x" || wanted == "nt" ? family : machineKind;
    if (wanted == here) return std::nullopt;
    return "holds only on " + wanted + ", this is " + here + ": " + scenario.onlyOn->why;
}

void AdaptToWindowsFolder(Scenario& scenario, const std::string& folder) {
    Setup& setup = scenario.setup;
    for (FileEntry& file : setup.files)
        AdaptPath(file.path, folder);
    for (auto* list : {&setup.folders, &setup.remove, &setup.readOnly, &setup.locked})
        for (std::string& path : *list)
            AdaptPath(path, folder);
    for (TimeEntry& time : setup.mtime)
        AdaptPath(time.path, folder);
    for (FileExpectation& file : scenario.expect.files) {
        AdaptPath(file.path, folder);
        if (!file.otherPath.empty()) AdaptPath(file.otherPath, folder);
    }
    for (IniExpectation& ini : scenario.expect.ini)
        AdaptPath(ini.path, folder);
    for (ProgramRun& run : scenario.runs)
        for (ExpectedDialog& dialog : run.dialogs)
            for (auto* text : {&dialog.caption, &dialog.text, &dialog.prompt, &dialog.value})
                AdaptText(*text, folder);
}

} // namespace vorn::runner
