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

// A guarded unit: any failure in it, running out of memory included, counts.
void PatchRun::InstallBitmapFonts() {
    bool failed = false;
    try {
        // Only the proportional font is looked for: its presence means an
        // earlier run installed both.
        if (FileIsPresent(WindowsDir + "\\Fonts\\Korvel.fon")) return;
        if (AskUser(msg::MsgFontInstall, DialogKind::Warning, ButtonsOkCancel, 0) != mrOk) return;
        failed = !(CopyFileOver("Korvel.fon", WindowsDir + "\\Fonts\\Korvel.fon") &&
                   CopyFileOver("KorvFix.fon", WindowsDir + "\\Fonts\\KorvFix.fon"));
    } catch (...) {
        failed = true;
    }
    if (!failed) return;
    // Shown from this one place, so once whatever failed; a message that
    // cannot be shown is not tried again, and the step lets nothing out.
    try {
        Inform(msg::MsgFontCopyFailed);
    } catch (...) {
    }
}

bool PatchRun::LocateClient() {
    if (!FindClientDir(ClientDir)) return false;
    // A stale font cache would keep the old fonts after the restart.
    RemoveFile(WindowsDir + "\\ttfCache");
    return true;
}

} // namespace vorn
