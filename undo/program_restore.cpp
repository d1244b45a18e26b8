// The undo's first step: the client's program file gets the bytes of VORN.OLD
// back, but only when VORN.OLD is provably the backup the patch run took of
// this very file.
#include "app/client_paths.h"
#include "app/face_name.h"
#include "host/dialogs.h"
#include "host/file_replace.h"
#include "host/files.h"
#include "host/host_texts.h"
#include "host/stream.h"
#include "undo/undo_messages.h"
#include "undo/undo_steps.h"

#include <string_view>

namespace vorn {

namespace {
std::string_view BytesOf(const TCustomMemoryStream& stream) {
    if (stream.DataLength() == 0) return {};
    return {static_cast<const char*>(stream.BlockAddr()),
            static_cast<std::size_t>(stream.DataLength())};
}

// A backup taken of a file that was already rewritten (the run answered No
// and No over a patched client) cannot give the original back.
bool HoldsRewrittenNames(const TCustomMemoryStream& stream) {
    const std::string_view bytes = BytesOf(stream);
    return bytes.find(SansSerifRule.replacement) != std::string_view::npos ||
           bytes.find(ArialRule.replacement) != std::string_view::npos;
}

// Whether the target is what the patch run, given the backup's bytes, wrote
// (the same code, with nothing announced), or the start of it: the run
// rewrites the file in place, so a run stopped while it wrote (a crash, a
// killed process, a full disk) leaves it cut short, even empty, and the
// backup is then the only whole copy.
bool RewriteGivesOrBegins(const TCustomMemoryStream& backup, const TCustomMemoryStream& target) {
    TMemoryStream rewritten;
    backup.CopyAllTo(rewritten);
    RewriteFaceNames(rewritten, [](const String&) {});
    const std::string_view written = BytesOf(rewritten);
    const std::string_view present = BytesOf(target);
    return present.size() <= written.size() && written.substr(0, present.size()) == present;
}

// Once the client's file holds the backup: the client's old file set aside,
// then the backup. The backup stays while the aside file is seen there, so
// that a later undo finds the pair and removes both.
void RemoveCopies(const String& asidePath, const String& backupPath) {
    if (FileIsPresent(asidePath)) RemoveFile(asidePath);
    if (FileIsPresent(asidePath)) return;
    RemoveFile(backupPath);
}
} // namespace

void RestoreProgramFile(const ClientLocation& client) {
    const String target = client.ClientDir + client.TargetFile;
    const String backupPath = client.ClientDir + client::kBackupFile;
    const String asidePath = client.ClientDir + client::kAsideFile;
    if (!FileIsPresent(backupPath)) {
        Inform(MsgNoBackup);
        return;
    }
    // A restore on Windows 95, 98 or ME stopped between its two renames left
    // the client's file under the aside name only (host/file_replace.h): it
    // is judged as the file under its own name is, and restored the same way.
    const bool targetPresent = FileIsPresent(target);
    const bool asidePresent = FileIsPresent(asidePath);
    const bool asideBeside = targetPresent && asidePresent;
    // All are read whole before anything is written: a file held open by a
    // running client ends the undo here, with nothing changed.
    TMemoryStream current;
    current.LoadWholeFile(targetPresent || !asidePresent ? target : asidePath);
    TMemoryStream backup;
    backup.LoadWholeFile(backupPath);
    TMemoryStream aside;
    if (asideBeside) aside.LoadWholeFile(asidePath);

    if (HoldsRewrittenNames(backup)) {
        AskUser(MsgBackupRewritten, DialogKind::Warning, kButtonsOk, 0);
        return;
    }
    const bool restored = targetPresent && BytesOf(current) == BytesOf(backup);
    // Beside the client's file, a file under the aside name is the client's
    // old file that a stopped restore left; one the undo does not know of is
    // left alone, and the client's file with it.
    const bool asideKnown = !asideBeside || RewriteGivesOrBegins(backup, aside);
    if (!asideKnown || !(restored || RewriteGivesOrBegins(backup, current))) {
        AskUser(MsgBackupMismatch, DialogKind::Warning, kButtonsOk, 0);
        return;
    }
    if (restored) {
        Inform(MsgAlreadyRestored);
        RemoveCopies(asidePath, backupPath);
        return;
    }
    // The restore without a replacing rename needs the aside name free.
    if (asideBeside) RemoveFile(asidePath);
    Inform(target + MsgRestoring);
    ReplaceWholeFile(target, backup, asidePath);
    // The backup is the only copy of the original until the target is seen
    // to hold it.
    TMemoryStream written;
    written.LoadWholeFile(target);
    if (BytesOf(written) != BytesOf(backup)) Raise(EWriteError(MsgStreamWriteError));
    RemoveCopies(asidePath, backupPath);
}

} // namespace vorn
