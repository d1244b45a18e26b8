// FoldPath of file_access.h, apart from the file operations there: it only
// looks at bytes, so the scenario reader's fuzz harness can use it natively.
#include "tools/runner/file_access.h"

namespace vorn::runner {

std::string FoldPath(const std::string& path) {
    std::string folded;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByteEx(932, c) && i + 1 < path.size()) {
            folded += path.substr(i++, 2);
            continue;
        }
        folded += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    return folded;
}

} // namespace vorn::runner
