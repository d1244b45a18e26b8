// Implements tools/runner/machine.h.
#include "tools/runner/machine.h"

#include "tools/runner/leftovers.h"
#include "tools/runner/registry_access.h"

#include <algorithm>

namespace vorn::runner {
namespace {

// The prefix's own win.ini, saved the first time a scenario runs on this
// machine (or a marker that it had none) and put back before every scenario.
void RestoreWinIni(const MachineLayout& layout) {
    std::string saved = layout.benchDir + "\\win.ini.orig";
    std::string noneMarker = layout.benchDir + "\\win.ini.absent";
    FileState savedState = ReadFileState(saved);
    if (savedState.kind != FileState::Kind::File &&
        ReadFileState(noneMarker).kind != FileState::Kind::File) {
        FileState original = ReadFileState(WinIni(layout));
        if (original.kind == FileState::Kind::File)
            WriteWholeFile(saved, original.bytes);
        else
            WriteWholeFile(noneMarker, "");
        savedState = ReadFileState(saved);
    }
    RemovePath(WinIni(layout));
    // Written anew rather than copied, so that the file gets a fresh time and
    // no process's cached copy of the profile is taken for current.
    if (savedState.kind == FileState::Kind::File) WriteWholeFile(WinIni(layout), savedState.bytes);
}

void CopyIn(const std::string& from, const std::string& to) {
    FileState source = ReadFileState(from);
    if (source.kind != FileState::Kind::File)
        throw MachineError("cannot put " + ShownPath(to) + " in place: " + ShownPath(from) +
                           " is " + Describe(source));
    WriteWholeFile(to, source.bytes);
}

void LayOutProgramFolder(const Scenario& scenario, const MachineLayout& layout) {
    MakeFolders(layout.programDir);
    EmptyFolder(layout.programDir);
    for (const std::string& program : PackagePrograms())
        CopyIn(ProgramSource(layout, program), layout.programDir + "\\" + program);
    const ProgramFolder& folder = scenario.setup.programFolder;
    for (const std::string& name : DistributedFiles())
        if (std::find(folder.omit.begin(), folder.omit.end(), name) == folder.omit.end())
            CopyIn(layout.distDir + "\\" + name, layout.programDir + "\\" + name);
    for (const FileEntry& file : folder.replacements)
        WriteWholeFile(layout.programDir + "\\" + file.path, file.content.bytes);
}

// The runner's own planted program and library lie beside it.
std::string PlantedSource(Planted kind) {
    char runner[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, runner, sizeof runner);
    std::string folder(runner, n);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + (kind == Planted::Program ? "planted_program.exe" : "planted_library.dll");
}

} // namespace

std::string ProgramSource(const MachineLayout& layout, const std::string& program) {
    if (program == "VORN.EXE") return layout.vornExe;
    size_t slash = layout.vornExe.find_last_of('\\');
    return (slash == std::string::npos ? std::string() : layout.vornExe.substr(0, slash + 1)) +
           program;
}

void FileLocks::Hold(const std::string& path) {
    std::string key = FoldPath(path);
    if (handles_.count(key)) return;
    // Write-attribute access lets a scenario also set the time of a held file.
    ScopedHandle handle(CreateFileA(path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        throw MachineError(
            "cannot hold " + ShownPath(path) + " open" +
            (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                 ? std::string(": it does not exist")
                 : ErrorSuffix(GetLastError())));
    handles_[key] = std::move(handle);
}

HANDLE FileLocks::HandleFor(const std::string& path) const {
    auto found = handles_.find(FoldPath(path));
    return found == handles_.end() ? nullptr : found->second.Get();
}

void FileLocks::Release() {
    handles_.clear();
}

std::string WinIni(const MachineLayout& layout) {
    return layout.windowsDir + "\\win.ini";
}

std::vector<std::string> WatchedSystemFiles(const MachineLayout& layout) {
    return {layout.windowsDir + "\\Fonts\\Korvel.fon", layout.windowsDir + "\\Fonts\\KorvFix.fon",
            layout.windowsDir + "\\ttfCache", WinIni(layout)};
}

void ResetMachine(const Scenario& scenario, const MachineLayout& layout) {
    RemoveKeyTree(kClientRegistryKey);

    std::vector<std::string> paths = NamedFilePaths(scenario);
    for (const std::string& path : WatchedSystemFiles(layout))
        if (path != WinIni(layout)) paths.push_back(path);
    for (const std::string& path : paths)
        RemovePath(path);
    RemoveLeftovers(layout);
    // Folders a scenario made go when nothing is left in them.
    RemoveEmptyFolders(scenario.setup.folders);

    RestoreWinIni(layout);
    LayOutProgramFolder(scenario, layout);
}

void ApplySetup(const Scenario& scenario, FileLocks& locks) {
    const Setup& setup = scenario.setup;
    for (const RegistryEntry& entry : setup.registry)
        WriteRegistryEntry(entry);
    for (const FileEntry& file : setup.files) {
        if (file.planted == Planted::None)
            WriteWholeFile(file.path, file.content.bytes);
        else
            CopyIn(PlantedSource(file.planted), file.path);
    }
    for (const std::string& folder : setup.folders)
        MakeFolders(folder);
    for (const std::string& path : setup.remove)
        RemovePath(path);
    // program_folder was laid out with the folder itself (ResetMachine).
    for (const std::string& path : setup.readOnly)
        SetReadOnly(path);
    for (const std::string& path : setup.locked)
        locks.Hold(path);
    for (const TimeEntry& time : setup.mtime)
        SetLastWriteLocalTime(time.path, time.localTime, locks.HandleFor(time.path));
}

} // namespace vorn::runner
