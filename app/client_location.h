// Where the client is and which of its files a run rewrites, who its owners
// are, and where the Windows folder is: the patch run and the undo both ask
// here, so that both always look at the same folders, the same file and the
// same accounts.
#pragma once

#include "host/exceptions.h"
#include "host/string_list.h"

#include <optional>

namespace vorn {

struct ClientLocation {
    // "ICQPath" as it stands: file names are appended with no separator, and a
    // missing or empty value is "" (the current folder).
    String ClientDir;
    // ICQCore.dll when the DefaultPrefs key has the value "99b Database" (of
    // any type), else Icq.exe.
    String TargetFile;
};

// Both read with one open of the client's DefaultPrefs key. Nothing when that
// key does not exist (the client is not installed). An "ICQPath" of a
// non-string type raises ERegistryException (TRegistry::ReadText).
std::optional<ClientLocation> LocateClient();

// The Windows folder as the system reports it, without a trailing backslash
// ("" when the query fails): the fonts, the font cache and win.ini are found
// from it, by both programs alike.
String FindWindowsDir();

// The key names of the client's owners (its accounts), in the registry's
// order. False when the owners key cannot be opened; running out of memory
// while the list grows raises.
bool ListOwners(TStringList& owners);

} // namespace vorn
