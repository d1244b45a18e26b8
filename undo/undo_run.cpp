// The undo sequence, and the settings it takes back after the program file:
// the owners' archive font, the two font substitutes and the two fonts.
#include "undo/undo_run.h"

#include "app/client_location.h"
#include "app/client_paths.h"
#include "app/face_name.h"
#include "app/messages.h"
#include "host/dialogs.h"
#include "host/files.h"
#include "host/ini_file.h"
#include "host/registry.h"
#include "host/string_list.h"
#include "undo/undo_messages.h"

namespace vorn {

namespace {
constexpr char kArchiveFontValue[] = "New Font Name";
constexpr char kOriginalArchiveFont[] = "MS Sans Serif";

// Gives one owner back the archive font the patch run took, and only that:
// any other value, type or a missing key is the user's own.
void RestoreOwnerArchiveFont(const String& owner) {
    TRegistry registry;
    if (!registry.OpenExisting(String(client::kOwnersKey) + "\\" + owner + "\\Message Archive"))
        return;
    if (registry.ValueType(kArchiveFontValue) != kTextValueType ||
        registry.ReadText(kArchiveFontValue) != SansSerifRule.replacement)
        return;
    registry.WriteText(kArchiveFontValue, kOriginalArchiveFont);
}
} // namespace

void UndoRun::Run() {
    if (!ConfirmedWithOk(MsgUndoConfirm)) return;
    WindowsDir = WindowsFolder();
    if (!FindClientDir(ClientDir)) {
        AskUser(MsgClientNotInstalled, DialogKind::Warning, kButtonsOk, 0);
        return;
    }
    if (!ConfirmedWithOk(MsgQuitClient)) return;

    RestoreProgramFile();
    RestoreArchiveFonts();
    RemoveFontSubstitutes();
    OfferFontRemoval();
    Inform(MsgRestartWindows);
}

void UndoRun::RestoreArchiveFonts() {
    TStringList owners;
    {
        TRegistry registry;
        if (!registry.OpenExisting(client::kOwnersKey)) return;
        registry.ListSubkeys(owners);
    }
    for (std::int32_t i = 0; i < owners.Count(); ++i)
        RestoreOwnerArchiveFont(owners.Get(i));
}

void UndoRun::RemoveFontSubstitutes() {
    const String profile = WindowsDir + "\\win.ini";
    if (!FileIsPresent(profile)) return;
    Inform(profile + MsgRewriting);
    TIniFile ini(profile);
    ini.DeleteEntry("FontSubstitutes", SansSerifRule.replacement);
    ini.DeleteEntry("FontSubstitutes", ArialRule.replacement);
}

void UndoRun::OfferFontRemoval() {
    const String fonts[] = {WindowsDir + "\\Fonts\\Korvel.fon",
                            WindowsDir + "\\Fonts\\KorvFix.fon"};
    if (!FileIsPresent(fonts[0]) && !FileIsPresent(fonts[1])) return;
    if (AskUser(MsgDeleteFonts, DialogKind::Warning, kButtonsYesNo, 0) != mrYes) return;
    bool allDeleted = true;
    // A font the system has loaded stays held until Windows restarts.
    for (const String& font : fonts)
        if (FileIsPresent(font) && !RemoveFile(font)) allDeleted = false;
    if (!allDeleted) Inform(MsgFontsNotDeleted);
}

void RunUndo() {
    UndoRun run;
    run.Run();
}

} // namespace vorn
