// Registry keys and file names of the client that several steps share.
#pragma once

namespace vorn::client {

inline constexpr char DefaultPrefsKey[] = "Software\\Mirabilis\\ICQ\\DefaultPrefs";
inline constexpr char OwnersKey[] = "Software\\Mirabilis\\ICQ\\Owners";
inline constexpr char InstallPathValue[] = "ICQPath";
inline constexpr char NewDatabaseValue[] = "99b Database";
inline constexpr char CoreFile[] = "ICQCore.dll";
inline constexpr char ProgramFile[] = "Icq.exe";
inline constexpr char BackupFile[] = "VORN.OLD";

} // namespace vorn::client
