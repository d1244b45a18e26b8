// The steps of the patch run, in the order PatchRun::Run() calls them. Each
// takes what it reads and returns what the run keeps; none keeps state.
// Between the font installation and the font cache the run finds the client
// (LocateClient, client_location.h), as the undo does.
#pragma once

#include "app/client_location.h"
#include "host/exceptions.h"
#include "host/stream.h"

namespace vorn {

void OpenReadme();
// A guarded unit: shows MsgFontCopyFailed once for any failure, lets none out.
void InstallBitmapFonts(const String& windowsDir);
// A stale font cache would keep the old fonts after the restart.
void RemoveFontCache(const String& windowsDir);

enum class BackupMode { FontNameOnly, Rewrite, RewriteKeepingBackup };
BackupMode ChooseBackupMode(const ClientLocation& client);

// The client's program file into `content`, and, unless the backup is kept,
// into the backup before any byte changes.
void LoadClientFile(TMemoryStream& content, const ClientLocation& client, bool keepBackup);
String AskFontName();
// The face names rewritten in `content`, which is then stored over the file.
void PatchClientFile(TMemoryStream& content, const ClientLocation& client);

// A guarded unit: false when an owner's archive font could not be set (its
// message shown), or when the owners could not be gone through.
bool SetArchiveFonts();
void WriteFontSubstitutes(const String& windowsDir, const String& fontName);

} // namespace vorn
