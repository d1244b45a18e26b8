// The steps of the patch run, in the order PatchRun::Run() calls them. Each
// takes what it reads and returns what the run keeps; none keeps state.
#pragma once

#include "host/exceptions.h"
#include "host/stream.h"

namespace vorn {

void OpenReadme();
String FindWindowsDir();
// A guarded unit: shows MsgFontCopyFailed once for any failure, lets none out.
void InstallBitmapFonts(const String& windowsDir);
// False when the client is not installed; else sets `clientDir`.
bool LocateClient(String& clientDir);
// A stale font cache would keep the old fonts after the restart.
void RemoveFontCache(const String& windowsDir);

enum class BackupMode { FontNameOnly, Rewrite, RewriteKeepingBackup };
BackupMode ChooseBackupMode(const String& clientDir);

// The client's program file into `content`, and, unless the backup is kept,
// into the backup before any byte changes.
void LoadClientFile(TMemoryStream& content, const String& clientDir, const String& targetFile,
                    bool keepBackup);
String AskFontName();
// The face names rewritten in `content`, which is then stored over the file.
void PatchClientFile(TMemoryStream& content, const String& clientDir, const String& targetFile);

// A guarded unit: false when an owner's archive font could not be set (its
// message shown), or when the owners could not be gone through.
bool SetArchiveFonts();
void WriteFontSubstitutes(const String& windowsDir, const String& fontName);

} // namespace vorn
