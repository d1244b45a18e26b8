// TIniFile: writes and deletes single entries of a profile file through
// WritePrivateProfileStringA. Implemented in ini_file_win32.cpp.
//
// Contract: construction only stores the path. WriteEntry passes all four
// texts (never null, so it never deletes anything) and raises the base
// Exception with MsgCannotWriteProfile (%s = the path) when the platform
// refuses. DeleteEntry removes one key of a section (WritePrivateProfileStringA
// with a null value; the other keys stay, a missing key is no failure) and
// raises the same Exception when the platform refuses. Destruction writes and
// flushes nothing.
#pragma once

#include "host/exceptions.h"

namespace vorn {

class TIniFile {
  public:
    explicit TIniFile(String profilePath) : profilePath_(std::move(profilePath)) {}
    void WriteEntry(const String& section, const String& key, const String& value);
    void DeleteEntry(const String& section, const String& key);

  private:
    String profilePath_;
};

} // namespace vorn
