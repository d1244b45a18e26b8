// The run sequence and the font-name question it shares with the client patch.
#include "app/patch_run.h"

#include "app/messages.h"
#include "host/dialogs.h"

namespace vorn {

namespace {
bool ConfirmedWithOk(const char* text) {
    return AskUser(text, DialogKind::Warning, ButtonsOkCancel, 0) == mrOk;
}
} // namespace

void PatchRun::Run() {
    OpenReadme();
    FindWindowsDir();
    InstallBitmapFonts();
    if (!LocateClient()) {
        AskUser(msg::MsgClientNotInstalled, DialogKind::Warning, ButtonsOk, 0);
        return;
    }
    if (!ConfirmedWithOk(msg::MsgApplyLocalePatchFirst)) return;
    if (!ConfirmedWithOk(msg::MsgQuitClient)) return;

    if (ChooseBackupMode() == BackupMode::FontNameOnly)
        AskFontName(); // the client's file stays as it is
    else
        PatchClientFile();

    RunSucceeded = true;
    SetArchiveFonts();
    WriteFontSubstitutes();
    Inform(RunSucceeded ? msg::MsgRestartWindows : msg::MsgArchiveFailed);
}

void PatchRun::AskFontName() {
    FontName = PromptForText(msg::MsgFontPromptCaption, msg::MsgFontPrompt, msg::DefaultFontName);
    Inform(FontName + msg::MsgReplaceWithFont);
}

void RunPatch() {
    PatchRun run;
    run.Run();
}

} // namespace vorn
