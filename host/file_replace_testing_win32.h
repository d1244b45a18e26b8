// The file replacement's seam for its tests: the road of Windows 95, 98 and
// ME (file_replace.h, the second road) taken on a Windows whose MoveFileExA
// works. The programs use file_replace.h only. Implemented in
// file_replace_win32.cpp.
#pragma once

#include "host/file_replace.h"

namespace vorn {

void ReplaceWholeFileByRenames(const String& path, const TCustomMemoryStream& content,
                               const String& aside);

} // namespace vorn
