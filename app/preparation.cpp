// The steps that open every run: the read-me, the two bitmap fonts and the
// font cache.
#include "app/client_paths.h"
#include "app/messages.h"
#include "app/run_steps.h"
#include "host/dialogs.h"
#include "host/files.h"

namespace vorn {

void OpenReadme() {
    // The editor runs on beside the run; whether it started changes nothing.
    StartSystemProgram("notepad.exe", "readme.txt");
}

// A guarded unit: any failure in it, running out of memory included, counts.
void InstallBitmapFonts(const String& windowsDir) {
    bool failed = false;
    try {
        const String fontsFolder = windowsDir + windows::kFontsFolder;
        const char* proportional = windows::kBitmapFonts[0];
        const char* fixed = windows::kBitmapFonts[1];
        // Only the proportional font is looked for: its presence means an
        // earlier run installed both.
        if (FileIsPresent(fontsFolder + proportional)) return;
        if (AskUser(MsgFontInstall, DialogKind::Warning, kButtonsOkCancel, 0) != mrOk) return;
        failed = !(CopyFileOver(proportional, fontsFolder + proportional) &&
                   CopyFileOver(fixed, fontsFolder + fixed));
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

void RemoveFontCache(const String& windowsDir) {
    RemoveFile(windowsDir + "\\ttfCache");
}

} // namespace vorn
