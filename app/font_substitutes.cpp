// Maps the rewritten face names to the chosen font in win.ini.
#include "app/face_name.h"
#include "app/messages.h"
#include "app/patch_run.h"
#include "host/dialogs.h"
#include "host/files.h"
#include "host/ini_file.h"

namespace vorn {

void PatchRun::WriteFontSubstitutes() {
    const String profile = WindowsDir + "\\win.ini";
    if (!FileIsPresent(profile)) {
        Inform(msg::MsgIniMissing);
        return;
    }
    Inform(profile + msg::MsgRewriting);

    TIniFile ini(profile);
    ini.WriteEntry("FontSubstitutes", SansSerifRule.replacement, FontName + ",128,3");
    // The default font comes with a fixed-pitch sibling for the Arial look-alike.
    if (FontName == msg::DefaultFontName) FontName += "Fix";
    ini.WriteEntry("FontSubstitutes", ArialRule.replacement, FontName + ",128,3");
}

} // namespace vorn
