// Putting new content in a file's place with nothing lost. Implemented in
// file_replace_win32.cpp.
//
// Contract: ReplaceWholeFile(path, content) writes the content's data to a new
// file in the folder of `path` through a file stream (file_stream_win32.h),
// forces it to disk, and then puts that file in the place of `path` with one
// rename that replaces it (MoveFileExA with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH). `path` itself is
// never opened for writing and never truncated, so at every moment it holds
// either its old bytes or all of the new ones. When any step fails, the new
// file is removed, `path` is as it was, and it raises:
//  - EFCreateError MsgCannotCreateFile (%s = `path`) when the new file
//    cannot be made or the rename is refused (for example because another
//    process holds `path` open; Windows also refuses a read-only `path`,
//    Wine replaces it);
//  - EWriteError MsgStreamWriteError when the data cannot all be written
//    or forced to disk.
// The file that replaces `path` takes the new file's attributes (normal).
#pragma once

#include "host/stream.h"

namespace vorn {

void ReplaceWholeFile(const String& path, const TCustomMemoryStream& content);

// The folder part of `path` with its last backslash ("C:\ICQ\" for
// "C:\ICQ\Icq.exe"), or "" for a bare name. The second byte of a code page
// 932 character is never taken for a backslash. Portable (file_folder.cpp).
String FolderOf(const String& path);

} // namespace vorn
