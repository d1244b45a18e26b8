// Implements host/ini_file.h on WritePrivateProfileStringA.
#include "host/ini_file.h"
#include "host/host_texts.h"

#include <windows.h>

namespace vorn {

void TIniFile::WriteEntry(const String& section, const String& key, const String& value) {
    // All four as texts: a null key or value would delete instead of write.
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                    profilePath_.c_str()))
        Raise(Exception(FillIn(MsgCannotWriteProfile, profilePath_)));
}

void TIniFile::DeleteEntry(const String& section, const String& key) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, profilePath_.c_str()))
        Raise(Exception(FillIn(MsgCannotWriteProfile, profilePath_)));
}

} // namespace vorn
