// Implements host/file_replace.h on kernel32.
#include "host/file_replace.h"
#include "host/host_texts.h"

#include "host/handles_win32.h"

namespace vorn {

namespace {
// The new file, removed again unless it was renamed into place.
class NewFile {
  public:
    explicit NewFile(const String& folder) {
        char name[MAX_PATH];
        // A unique name in the target's own folder: the rename then stays on
        // one volume, where it replaces in one step.
        if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "VRN", 0, name) == 0) return;
        path_ = name;
        handle_.Reset(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    ~NewFile() {
        handle_.Reset();
        if (!path_.empty() && !placed_) DeleteFileA(path_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool Opened() const { return static_cast<bool>(handle_); }
    bool WriteAndFlush(const void* data, std::int32_t size) {
        DWORD done = 0;
        if (size > 0 &&
            (!WriteFile(handle_.Get(), data, static_cast<DWORD>(size), &done, nullptr) ||
             done != static_cast<DWORD>(size)))
            return false;
        return FlushFileBuffers(handle_.Get()) != 0;
    }
    void Close() { handle_.Reset(); }
    bool PutInPlaceOf(const String& target) {
        placed_ = MoveFileExA(path_.c_str(), target.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        return placed_;
    }

  private:
    String path_;
    ScopedHandle handle_;
    bool placed_ = false;
};
} // namespace

void ReplaceWholeFile(const String& path, const TCustomMemoryStream& content) {
    NewFile file(FolderOf(path));
    if (!file.Opened()) Raise(EFCreateError(FillIn(MsgCannotCreateFile, path)));
    if (!file.WriteAndFlush(content.BlockAddr(), content.DataLength()))
        Raise(EWriteError(MsgStreamWriteError));
    file.Close();
    if (!file.PutInPlaceOf(path)) Raise(EFCreateError(FillIn(MsgCannotCreateFile, path)));
}

} // namespace vorn
