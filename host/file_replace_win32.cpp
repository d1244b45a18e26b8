// Implements host/file_replace.h on kernel32 and the file stream.
#include "host/file_replace.h"
#include "host/file_stream_win32.h"
#include "host/host_texts.h"

namespace vorn {

namespace {
// The new file's name, and the file removed again unless it was renamed into
// place.
class NewFile {
  public:
    explicit NewFile(const String& folder) {
        char name[MAX_PATH];
        // A unique name in the target's own folder: the rename then stays on
        // one volume, where it replaces in one step.
        if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "VRN", 0, name) != 0)
            path_ = name;
    }
    ~NewFile() {
        if (!path_.empty() && !placed_) DeleteFileA(path_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    const String& Path() const { return path_; }
    bool PutInPlaceOf(const String& target) {
        placed_ = MoveFileExA(path_.c_str(), target.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        return placed_;
    }

  private:
    String path_;
    bool placed_ = false;
};
} // namespace

void ReplaceWholeFile(const String& path, const TCustomMemoryStream& content) {
    NewFile file(FolderOf(path));
    {
        // The failures name the file the caller knows: the new file's name is
        // a passing one.
        ScopedHandle handle;
        if (!file.Path().empty()) handle = OpenFileHandle(file.Path(), kCreateFile);
        if (!handle) Raise(EFCreateError(FillIn(MsgCannotCreateFile, path)));
        THandleStream stream(std::move(handle));
        content.CopyAllTo(stream);
        stream.FlushToDisk();
    } // closed before the rename: an open file cannot be renamed
    if (!file.PutInPlaceOf(path)) Raise(EFCreateError(FillIn(MsgCannotCreateFile, path)));
}

} // namespace vorn
