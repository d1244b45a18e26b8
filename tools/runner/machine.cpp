// Implements tools/runner/machine.h.
#include "tools/runner/machine.h"

#include "tools/runner/expectations.h"
#include "tools/runner/leftovers.h"
#include "tools/runner/registry_access.h"

#include <algorithm>

namespace vorn::runner {
namespace {

constexpr char kFontSubstitutes[] = "FontSubstitutes";

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The "key=value" entries of [FontSubstitutes] as the bytes of a win.ini
// hold them.
std::vector<std::string> FontSubstitutesIn(const std::string& bytes) {
    std::vector<std::string> entries;
    bool inside = false;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = Trimmed(bytes.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.front() == '[') {
            inside = FoldPath(line) == FoldPath(std::string("[") + kFontSubstitutes + "]");
        } else if (inside && line.find('=') != std::string::npos) {
            size_t equals = line.find('=');
            entries.push_back(Trimmed(line.substr(0, equals)) + "=" +
                              Trimmed(line.substr(equals + 1)));
        }
    }
    return entries;
}

// Every NT Windows maps win.ini's [FontSubstitutes] to the registry
// (IniFileMapping): there the profile API reads and writes the section in
// HKEY_LOCAL_MACHINE whatever the file holds, so a win.ini written as bytes
// does not give the section it holds. This brings the section, as the profile
// API reads it, to hold each of `entries` and, with `alone`, nothing else.
// Wine reads the file itself: there it holds them already and nothing is
// written.
void MakeFontSubstitutesRead(const std::string& winIni, const std::vector<std::string>& entries,
                             bool alone) {
    std::vector<std::string> keys;
    for (const std::string& entry : entries) {
        std::string key = entry.substr(0, entry.find('='));
        std::string value = entry.substr(key.size() + (key.size() < entry.size()));
        keys.push_back(FoldPath(key));
        char now[4096] = "";
        GetPrivateProfileStringA(kFontSubstitutes, key.c_str(), "\x01", now, sizeof now,
                                 winIni.c_str());
        if (value != now && !WritePrivateProfileStringA(kFontSubstitutes, key.c_str(),
                                                        value.c_str(), winIni.c_str()))
            throw MachineError("cannot write [FontSubstitutes] " + ShownText(key) + " of " +
                               ShownPath(winIni) + ErrorSuffix(GetLastError()));
    }
    if (!alone) return;
    for (const std::string& entry : ReadIniSection(winIni, kFontSubstitutes)) {
        std::string key = entry.substr(0, entry.find('='));
        if (std::find(keys.begin(), keys.end(), FoldPath(key)) == keys.end() &&
            !WritePrivateProfileStringA(kFontSubstitutes, key.c_str(), nullptr, winIni.c_str()))
            throw MachineError("cannot remove [FontSubstitutes] " + ShownText(key) + " of " +
                               ShownPath(winIni) + ErrorSuffix(GetLastError()));
    }
}

// [FontSubstitutes] as the profile API read it the first time a scenario ran
// on this machine, kept beside win.ini's copy and put back the same way.
void RestoreFontSubstitutes(const MachineLayout& layout) {
    std::string saved = layout.benchDir + "\\FontSubstitutes.orig";
    FileState savedState = ReadFileState(saved);
    if (savedState.kind != FileState::Kind::File) {
        std::string lines;
        for (const std::string& entry : ReadIniSection(WinIni(layout), kFontSubstitutes))
            lines += entry + "\n";
        WriteWholeFile(saved, lines);
        return;
    }
    std::vector<std::string> entries;
    for (size_t start = 0; start < savedState.bytes.size();) {
        size_t end = savedState.bytes.find('\n', start);
        if (end == std::string::npos) end = savedState.bytes.size();
        if (end > start) entries.push_back(savedState.bytes.substr(start, end - start));
        start = end + 1;
    }
    MakeFontSubstitutesRead(WinIni(layout), entries, true);
}

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
    RestoreFontSubstitutes(layout);
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

void ApplySetup(const Scenario& scenario, const MachineLayout& layout, FileLocks& locks) {
    const Setup& setup = scenario.setup;
    for (const RegistryEntry& entry : setup.registry)
        WriteRegistryEntry(entry);
    for (const FileEntry& file : setup.files) {
        if (file.planted != Planted::None) {
            CopyIn(PlantedSource(file.planted), file.path);
            continue;
        }
        WriteWholeFile(file.path, file.content.bytes);
        // The section the scenario wrote is what the run must find, also
        // where Windows keeps it in the registry; the rest stays as it was.
        if (FoldPath(file.path) == FoldPath(WinIni(layout)))
            MakeFontSubstitutesRead(file.path, FontSubstitutesIn(file.content.bytes), false);
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
