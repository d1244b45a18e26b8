// Registry keys and file names of the client that several steps share.
#pragma once

namespace vorn::client {

inline constexpr char kDefaultPrefsKey[] = "Software\\Mirabilis\\ICQ\\DefaultPrefs";
inline constexpr char kOwnersKey[] = "Software\\Mirabilis\\ICQ\\Owners";
inline constexpr char kInstallPathValue[] = "ICQPath";
inline constexpr char kNewDatabaseValue[] = "99b Database";
inline constexpr char kCoreFile[] = "ICQCore.dll";
inline constexpr char kProgramFile[] = "Icq.exe";
inline constexpr char kBackupFile[] = "VORN.OLD";

} // namespace vorn::client
