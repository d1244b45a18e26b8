// Maps the rewritten face names to the chosen font in win.ini.
#include "app/client_paths.h"
#include "app/face_name.h"
#include "app/messages.h"
#include "app/run_steps.h"
#include "host/dialogs.h"
#include "host/files.h"
#include "host/ini_file.h"

namespace vorn {

void WriteFontSubstitutes(const String& windowsDir, const String& fontName) {
    const String profile = windowsDir + windows::kProfileFile;
    if (!FileIsPresent(profile)) {
        Inform(MsgIniMissing);
        return;
    }
    Inform(profile + MsgRewriting);

    TIniFile ini(profile);
    ini.WriteEntry(windows::kSubstitutesSection, SansSerifRule.replacement, fontName + ",128,3");
    // The default font comes with a fixed-pitch sibling for the Arial look-alike.
    const String arialFont = fontName == kDefaultFontName ? fontName + "Fix" : fontName;
    ini.WriteEntry(windows::kSubstitutesSection, ArialRule.replacement, arialFont + ",128,3");
}

} // namespace vorn
