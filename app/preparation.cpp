// The steps that open every run: the read-me, the Windows folder, the two
// bitmap fonts and the client's install folder.
#include "app/client_location.h"
#include "app/messages.h"
#include "app/patch_run.h"
#include "host/dialogs.h"
#include "host/files.h"

namespace vorn {

void PatchRun::OpenReadme() {
    // The editor runs on beside the run; whether it started changes nothing.
    StartProgram("notepad.exe readme.txt");
}

void PatchRun::FindWindowsDir() {
    WindowsDir = WindowsFolder();
}

void PatchRun::InstallBitmapFonts() {
    // Only the proportional font is looked for: its presence means an earlier
    // run installed both.
    if (FileIsPresent(WindowsDir + "\\Fonts\\Korvel.fon")) return;
    try {
        if (AskUser(msg::MsgFontInstall, DialogKind::Warning, ButtonsOkCancel, 0) != mrOk) return;
        const bool copied = CopyFileOver("Korvel.fon", WindowsDir + "\\Fonts\\Korvel.fon") &&
                            CopyFileOver("KorvFix.fon", WindowsDir + "\\Fonts\\KorvFix.fon");
        if (!copied) Inform(msg::MsgFontCopyFailed);
    } catch (const Exception&) {
        Inform(msg::MsgFontCopyFailed);
    }
}

bool PatchRun::LocateClient() {
    if (!FindClientDir(ClientDir)) return false;
    // A stale font cache would keep the old fonts after the restart.
    RemoveFile(WindowsDir + "\\ttfCache");
    return true;
}

} // namespace vorn
