// Implements host/file_replace.h and file_replace_testing_win32.h on kernel32
// and the file stream.
#include "host/file_replace.h"
#include "host/file_replace_testing_win32.h"
#include "host/file_stream_win32.h"
#include "host/host_texts.h"

#include <optional>

namespace vorn {

namespace {
// The new file's name, and the file removed again unless it was renamed into
// place.
class NewFile {
  public:
    explicit NewFile(const String& folder) {
        char name[MAX_PATH];
        // A unique name in the target's own folder: the renames then stay on
        // one volume, where each is one step.
        if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "VRN", 0, name) != 0)
            path_ = name;
    }
    ~NewFile() {
        if (!path_.empty() && !placed_) DeleteFileA(path_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    const String& Path() const { return path_; }
    void Placed() { placed_ = true; }

  private:
    String path_;
    bool placed_ = false;
};

enum class Road { ReplacingRename, Renames };

[[noreturn]] void RaiseCannotCreate(const String& path) {
    Raise(EFCreateError(FillIn(MsgCannotCreateFile, path)));
}

// The attributes of the file `path` names, or nothing when there is none.
// Through the directory search that FileIsPresent makes too (files.h).
std::optional<DWORD> AttributesOf(const String& path) {
    WIN32_FIND_DATAA found;
    if (!ScopedFind(FindFirstFileA(path.c_str(), &found))) return std::nullopt;
    return found.dwFileAttributes;
}

// Windows 95, 98 and ME have no rename that replaces: the old file goes
// aside first and stays there for the caller, who deletes it only once it
// has read the new one back.
void PutInPlaceByRenames(NewFile& file, const String& path, const String& aside) {
    const std::optional<DWORD> attributes = AttributesOf(path);
    // As the replacing rename of the other Windows refuses it.
    if (attributes && (*attributes & FILE_ATTRIBUTE_READONLY)) RaiseCannotCreate(path);
    if (attributes && !MoveFileA(path.c_str(), aside.c_str())) RaiseCannotCreate(path);
    if (!MoveFileA(file.Path().c_str(), path.c_str())) {
        if (attributes) MoveFileA(aside.c_str(), path.c_str());
        RaiseCannotCreate(path);
    }
    file.Placed();
}

void PutInPlace(NewFile& file, const String& path, const String& aside, Road road) {
    if (road == Road::ReplacingRename) {
        if (MoveFileExA(file.Path().c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            file.Placed();
            return;
        }
        // Windows 95, 98 and ME export it as a stub that fails at once.
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) RaiseCannotCreate(path);
    }
    PutInPlaceByRenames(file, path, aside);
}

void Replace(const String& path, const TCustomMemoryStream& content, const String& aside,
             Road road) {
    NewFile file(FolderOf(path));
    {
        // The failures name the file the caller knows: the new file's name is
        // a passing one.
        ScopedHandle handle;
        if (!file.Path().empty()) handle = OpenFileHandle(file.Path(), kCreateFile);
        if (!handle) RaiseCannotCreate(path);
        THandleStream stream(std::move(handle));
        content.CopyAllTo(stream);
        stream.FlushToDisk();
    } // closed before the rename: an open file cannot be renamed
    PutInPlace(file, path, aside, road);
}
} // namespace

void ReplaceWholeFile(const String& path, const TCustomMemoryStream& content, const String& aside) {
    Replace(path, content, aside, Road::ReplacingRename);
}

void ReplaceWholeFileByRenames(const String& path, const TCustomMemoryStream& content,
                               const String& aside) {
    Replace(path, content, aside, Road::Renames);
}

} // namespace vorn
