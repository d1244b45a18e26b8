// The undo sequence, and the settings it takes back after the program file:
// the owners' archive font, the two font substitutes and the two fonts.
#include "undo/undo_run.h"

#include "app/client_paths.h"
#include "app/face_name.h"
#include "app/messages.h"
#include "host/dialogs.h"
#include "host/files.h"
#include "host/ini_file.h"
#include "host/registry.h"
#include "host/string_list.h"
#include "undo/undo_messages.h"
#include "undo/undo_steps.h"

namespace vorn {

namespace {
// Gives one owner back the archive font the patch run took, and only that:
// any other value, type or a missing key is the user's own.
void RestoreOwnerArchiveFont(const String& owner) {
    TRegistry registry;
    if (!registry.OpenExisting(String(client::kOwnersKey) + "\\" + owner + client::kArchiveKey))
        return;
    if (registry.ValueType(client::kArchiveFontValue) != kTextValueType ||
        registry.ReadText(client::kArchiveFontValue) != SansSerifRule.replacement)
        return;
    registry.WriteText(client::kArchiveFontValue, SansSerifRule.search);
}
} // namespace

void UndoRun::Run() {
    if (!ConfirmedWithOk(MsgUndoConfirm)) return;
    WindowsDir = FindWindowsDir();
    std::optional<ClientLocation> client = LocateClient();
    if (!client) {
        AskUser(MsgClientNotInstalled, DialogKind::Warning, kButtonsOk, 0);
        return;
    }
    Client = std::move(*client);
    if (!ConfirmedWithOk(MsgQuitClient)) return;

    RestoreProgramFile(Client);
    RestoreArchiveFonts();
    RemoveFontSubstitutes(WindowsDir);
    OfferFontRemoval(WindowsDir);
    Inform(MsgRestartWindows);
}

void RestoreArchiveFonts() {
    TStringList owners;
    if (!ListOwners(owners)) return;
    for (std::int32_t i = 0; i < owners.Count(); ++i)
        RestoreOwnerArchiveFont(owners.Get(i));
}

void RemoveFontSubstitutes(const String& windowsDir) {
    const String profile = windowsDir + windows::kProfileFile;
    if (!FileIsPresent(profile)) return;
    Inform(profile + MsgRewriting);
    TIniFile ini(profile);
    ini.DeleteEntry(windows::kSubstitutesSection, SansSerifRule.replacement);
    ini.DeleteEntry(windows::kSubstitutesSection, ArialRule.replacement);
}

void OfferFontRemoval(const String& windowsDir) {
    const String fonts[] = {windowsDir + windows::kFontsFolder + windows::kBitmapFonts[0],
                            windowsDir + windows::kFontsFolder + windows::kBitmapFonts[1]};
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
