// Implements tools/runner/machine_kind.h.
#include "tools/runner/machine_kind.h"

#include "tools/runner/file_access.h"
#include "tools/runner/machine.h"

#include <windows.h>

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

std::string ThisWindowsFolder() {
    char folder[MAX_PATH] = "";
    UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    std::string path(folder, length < sizeof folder ? length : 0);
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path.empty() ? kScenarioWindowsFolder : path;
}

std::optional<std::string> SkipReason(const Scenario& scenario, const std::string& machineKind) {
    if (!scenario.onlyOn || scenario.onlyOn->windows == machineKind) return std::nullopt;
    return "holds only on " + scenario.onlyOn->windows + ", this is " + machineKind + ": " +
           scenario.onlyOn->why;
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
