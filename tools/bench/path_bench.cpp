// Measures the run's non-interactive path on Windows: load the client's file,
// store the backup, both face-name passes, store the file again. Reports the
// time and how much memory the process took beyond what it had before.
//
//   path_bench FILE BACKUP   prints "path_ms=<n> peak_extra_bytes=<n> file_bytes=<n>"
#include "app/face_name.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>

namespace {
SIZE_T PeakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakPagefileUsage;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: path_bench FILE BACKUP\n");
        return 2;
    }
    const SIZE_T before = PeakPrivateBytes();
    const auto start = std::chrono::steady_clock::now();
    std::int32_t length = 0;
    try {
        vorn::TMemoryStream content;
        content.LoadWholeFile(argv[1]);
        content.StoreToFile(argv[2]);
        vorn::RewriteFaceNames(content, [](const vorn::String&) {});
        content.StoreToFile(argv[1]);
        length = content.DataLength();
    } catch (const vorn::Exception& e) {
        std::fprintf(stderr, "path_bench: %s: %s\n", e.ClassName(), e.Message().c_str());
        return 1;
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    const SIZE_T peak = PeakPrivateBytes();
    std::printf("path_ms=%.0f peak_extra_bytes=%lu file_bytes=%ld\n", took.count(),
                static_cast<unsigned long>(peak - before), static_cast<long>(length));
    return 0;
}
