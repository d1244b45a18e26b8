// The backup questions and the rewrite of the face names in the client's
// program file.
#include "app/client_paths.h"
#include "app/face_name.h"
#include "app/messages.h"
#include "app/patch_run.h"
#include "host/dialogs.h"
#include "host/files.h"
#include "host/registry.h"
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
    {
        TRegistry registry;
        // A prefs key that fails to open simply has no "99b Database".
        registry.OpenExisting(client::DefaultPrefsKey);
        TargetFile =
            registry.HasValue(client::NewDatabaseValue) ? client::CoreFile : client::ProgramFile;
        content.LoadWholeFile(ClientDir + TargetFile);
        // The backup is taken before any byte changes.
        if (!KeepBackup) content.StoreToFile(ClientDir + client::BackupFile);
    }
    AskFontName();

    const auto announce = [](const String& found) { Inform(found + msg::MsgRewriting); };
    ReplaceFaceName(content, SansSerifRule, announce);
    content.MoveTo(0, FromStart);
    ReplaceFaceName(content, ArialRule, announce);
    content.StoreToFile(ClientDir + TargetFile);
}

} // namespace vorn
