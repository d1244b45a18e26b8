// The steps that open every run: the read-me, the Windows folder, the two
// bitmap fonts, the client's install folder and the font cache.
#include "app/client_location.h"
#include "app/messages.h"
#include "app/run_steps.h"
#include "host/dialogs.h"
#include "host/files.h"

namespace vorn {

void OpenReadme() {
    // The editor runs on beside the run; whether it started changes nothing.
    StartSystemProgram("notepad.exe", "readme.txt");
}

String FindWindowsDir() {
    return WindowsFolder();
}

// A guarded unit: any failure in it, running out of memory included, counts.
void InstallBitmapFonts(const String& windowsDir) {
    bool failed = false;
    try {
        // Only the proportional font is looked for: its presence means an
        // earlier run installed both.
        if (FileIsPresent(windowsDir + "\\Fonts\\Korvel.fon")) return;
        if (AskUser(MsgFontInstall, DialogKind::Warning, kButtonsOkCancel, 0) != mrOk) return;
        failed = !(CopyFileOver("Korvel.fon", windowsDir + "\\Fonts\\Korvel.fon") &&
                   CopyFileOver("KorvFix.fon", windowsDir + "\\Fonts\\KorvFix.fon"));
    } catch (...) {
        failed = true;
    }
    if (!failed) return;
    // Shown from this one place, so once whatever failed; a message that
    // cannot be shown is not tried again, and the step lets nothing out.
    try {
        Inform(MsgFontCopyFailed);
    } catch (...) {
    }
}

bool LocateClient(String& clientDir) {
    return FindClientDir(clientDir);
}

void RemoveFontCache(const String& windowsDir) {
    RemoveFile(windowsDir + "\\ttfCache");
}

} // namespace vorn
