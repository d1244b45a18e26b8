// The names on the machine that the patch run writes and the undo takes back:
// written once here, so that the undo always looks where the run wrote.
#pragma once

namespace vorn {

namespace client {
// Registry, below HKEY_CURRENT_USER.
inline constexpr char kDefaultPrefsKey[] = "Software\\Mirabilis\\ICQ\\DefaultPrefs";
inline constexpr char kInstallPathValue[] = "ICQPath";
inline constexpr char kNewDatabaseValue[] = "99b Database";
inline constexpr char kOwnersKey[] = "Software\\Mirabilis\\ICQ\\Owners";
// Behind an owner's key name, below the owners key.
inline constexpr char kArchiveKey[] = "\\Message Archive";
inline constexpr char kArchiveFontValue[] = "New Font Name";

// Files in the client's folder.
inline constexpr char kCoreFile[] = "ICQCore.dll";
inline constexpr char kProgramFile[] = "Icq.exe";
inline constexpr char kBackupFile[] = "VORN.OLD";
// Where the undo's replacement on Windows 95, 98 and ME, which has no rename
// that replaces, moves the client's file before it renames the backup's bytes
// into its place (host/file_replace.h); the undo deletes it after the read-back.
inline constexpr char kAsideFile[] = "VORN.NEW";
} // namespace client

namespace windows {
// Behind the Windows folder.
inline constexpr char kProfileFile[] = "\\win.ini";
inline constexpr char kFontsFolder[] = "\\Fonts\\";
inline constexpr char kSubstitutesSection[] = "FontSubstitutes";

// The two bitmap fonts, beside the program and in the fonts folder: the
// proportional one, then its fixed-pitch sibling.
inline constexpr const char* kBitmapFonts[] = {"Korvel.fon", "KorvFix.fon"};
} // namespace windows

} // namespace vorn
