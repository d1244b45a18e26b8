// Finding the client and the program file that a run rewrites: the patch run
// and the undo call these, so that both always look at the same folder and
// the same file.
#pragma once

#include "host/exceptions.h"

namespace vorn {

// The client's folder, the value "ICQPath" under the client's DefaultPrefs
// key, taken as it stands (file names are appended with no separator; a
// missing or empty value gives ""). False, with `clientDir` untouched, when
// that key does not exist. A value of a non-string type raises
// ERegistryException (TRegistry::ReadText).
bool FindClientDir(String& clientDir);

// "ICQCore.dll" when the DefaultPrefs key has the value "99b Database" (of
// any type), else "Icq.exe" (also when the key cannot be opened).
String ChooseTargetFile();

} // namespace vorn
