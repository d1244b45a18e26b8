// The run sequence.
#include "app/patch_run.h"

#include "app/client_location.h"
#include "app/messages.h"
#include "app/run_steps.h"
#include "host/dialogs.h"

namespace vorn {

void PatchRun::Run() {
    OpenReadme();
    WindowsDir = FindWindowsDir();
    InstallBitmapFonts(WindowsDir);
    std::optional<ClientLocation> client = LocateClient();
    if (!client) {
        AskUser(MsgClientNotInstalled, DialogKind::Warning, kButtonsOk, 0);
        return;
    }
    Client = std::move(*client);
    RemoveFontCache(WindowsDir);
    if (!ConfirmedWithOk(MsgApplyLocalePatchFirst)) return;
    if (!ConfirmedWithOk(MsgQuitClient)) return;

    const BackupMode mode = ChooseBackupMode(Client);
    if (mode == BackupMode::FontNameOnly) {
        FontName = AskFontName(); // the client's file stays as it is
    } else {
        KeepBackup = mode == BackupMode::RewriteKeepingBackup;
        TMemoryStream content;
        LoadClientFile(content, Client, KeepBackup);
        // Asked after the load and the backup, before any byte changes.
        FontName = AskFontName();
        PatchClientFile(content, Client);
    }

    RunSucceeded = SetArchiveFonts();
    WriteFontSubstitutes(WindowsDir, FontName);
    Inform(RunSucceeded ? MsgRestartWindows : MsgArchiveFailed);
}

String AskFontName() {
    String fontName = PromptForText(MsgFontPromptCaption, MsgFontPrompt, kDefaultFontName);
    Inform(fontName + MsgReplaceWithFont);
    return fontName;
}

void RunPatch() {
    PatchRun run;
    run.Run();
}

} // namespace vorn
