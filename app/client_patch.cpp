// The backup questions and the rewrite of the face names in the client's
// program file.
#include "app/client_paths.h"
#include "app/face_name.h"
#include "app/messages.h"
#include "app/run_steps.h"
#include "host/dialogs.h"
#include "host/files.h"
#include "host/stream.h"

namespace vorn {

BackupMode ChooseBackupMode(const ClientLocation& client) {
    if (!FileIsPresent(client.ClientDir + client::kBackupFile)) return BackupMode::Rewrite;
    if (AnsweredYes(MsgBackupExists)) return BackupMode::FontNameOnly;
    if (AnsweredYes(MsgKeepBackup)) return BackupMode::RewriteKeepingBackup;
    return BackupMode::Rewrite;
}

void LoadClientFile(TMemoryStream& content, const ClientLocation& client, bool keepBackup) {
    content.LoadWholeFile(client.ClientDir + client.TargetFile);
    // On disk before the client's file is opened for its rewrite in place: a
    // system crash during that rewrite then still leaves the backup whole.
    if (!keepBackup) content.StoreToFileOnDisk(client.ClientDir + client::kBackupFile);
}

void PatchClientFile(TMemoryStream& content, const ClientLocation& client) {
    RewriteFaceNames(content, [](const String& found) { Inform(found + MsgRewriting); });
    content.StoreToFile(client.ClientDir + client.TargetFile);
}

} // namespace vorn
