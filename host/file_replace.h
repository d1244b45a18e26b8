// Putting new content in a file's place with nothing lost. Implemented in
// file_replace_win32.cpp.
//
// Contract: ReplaceWholeFile(path, content, aside) writes the content's data
// to a new file in the folder of `path` through a file stream
// (file_stream_win32.h), forces it to disk, and then puts that file in the
// place of `path` by renames. `path` itself is never opened for writing and
// never truncated: its old bytes are never half overwritten. `aside` is a
// name in the same folder that the caller keeps for this replacement alone.
// The road depends on the Windows:
//  - Where MoveFileExA works (Windows NT, 2000 and later), one rename that
//    replaces `path` (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH):
//    at every moment `path` holds its old bytes or all of the new ones.
//    `aside` is not touched.
//  - Where MoveFileExA is a stub that fails with ERROR_CALL_NOT_IMPLEMENTED
//    (Windows 95, 98 and ME), and MoveFileA refuses to rename onto an
//    existing file: a read-only `path` is refused, as the replacing rename
//    refuses it elsewhere; then MoveFileA moves `path` to `aside` (skipped
//    when `path` is absent) and the new file to `path`. When this returns,
//    `path`'s old bytes are under `aside`: the caller deletes that file once
//    it has read `path` back. A process that stops between the two renames
//    leaves no file under `path` and the old bytes under `aside` (and the new
//    file under its passing name); a caller that finds that state takes the
//    file under `aside` for `path`'s and replaces again, which puts the new
//    file at the absent `path` and leaves `aside` to the caller as before.
//    A file already under `aside` while `path` is present makes the first
//    rename fail, with nothing changed.
// When any step fails, the new file is removed, `path` is as it was (on the
// second road the old bytes are renamed back from `aside` first; should that
// rename fail too, they stay under `aside`, the state a stop leaves), and it
// raises:
//  - EFCreateError MsgCannotCreateFile (%s = `path`) when the new file
//    cannot be made or a rename is refused (for example because another
//    process holds `path` open; Windows also refuses a read-only `path`,
//    Wine replaces it on the first road);
//  - EWriteError MsgStreamWriteError when the data cannot all be written
//    or forced to disk.
// The file that replaces `path` takes the new file's attributes (normal).
#pragma once

#include "host/stream.h"

namespace vorn {

void ReplaceWholeFile(const String& path, const TCustomMemoryStream& content, const String& aside);

// The folder part of `path` with its last backslash ("C:\ICQ\" for
// "C:\ICQ\Icq.exe"), or "" for a bare name. The second byte of a code page
// 932 character is never taken for a backslash. Portable (file_folder.cpp).
String FolderOf(const String& path);

} // namespace vorn
