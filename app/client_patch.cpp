// The backup questions and the rewrite of the face names in the client's
// program file.
#include "app/client_location.h"
#include "app/client_paths.h"
#include "app/face_name.h"
#include "app/messages.h"
#include "app/patch_run.h"
#include "host/dialogs.h"
#include "host/files.h"
#include "host/stream.h"

namespace vorn {

namespace {
bool AnsweredYes(const char* text) {
    return AskUser(text, DialogKind::Warning, ButtonsYesNo, 0) == mrYes;
}
} // namespace

BackupMode PatchRun::ChooseBackupMode() {
    if (!FileIsPresent(ClientDir + client::BackupFile)) return BackupMode::Rewrite;
    if (AnsweredYes(msg::MsgBackupExists)) return BackupMode::FontNameOnly;
    if (AnsweredYes(msg::MsgKeepBackup)) KeepBackup = true;
    return BackupMode::Rewrite;
}

void PatchRun::PatchClientFile() {
    TMemoryStream content;
    TargetFile = ChooseTargetFile();
    content.LoadWholeFile(ClientDir + TargetFile);
    // The backup is taken before any byte changes.
    if (!KeepBackup) content.StoreToFile(ClientDir + client::BackupFile);
    AskFontName();

    RewriteFaceNames(content, [](const String& found) { Inform(found + msg::MsgRewriting); });
    content.StoreToFile(ClientDir + TargetFile);
}

} // namespace vorn
