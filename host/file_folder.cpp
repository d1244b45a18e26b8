// Implements FolderOf of host/file_replace.h.
#include "host/app_title.h"
#include "host/file_replace.h"

namespace vorn {

String FolderOf(const String& path) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(path[i]))) {
            ++i; // its second byte may be 0x5C
            continue;
        }
        if (path[i] == '\\') end = i + 1;
    }
    return path.substr(0, end);
}

} // namespace vorn
