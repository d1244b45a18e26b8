// Measures the run's non-interactive path on Windows: load the client's file,
// store the backup, both face-name passes, store the file again. Reports the
// time and how much memory the process took beyond what it had before.
//
//   path_bench FILE BACKUP   prints "path_ms=<n>", the phases' times
//   ("load_ms=… backup_ms=… scan_ms=… store_ms=… release_ms=…"),
//   "peak_extra_bytes=<n> file_bytes=<n>"
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
    using Clock = std::chrono::steady_clock;
    // The phases' ends: loaded, backed up, scanned, stored, released.
    Clock::time_point at[6];
    at[0] = Clock::now();
    std::int32_t length = 0;
    try {
        vorn::TMemoryStream content;
        content.LoadWholeFile(argv[1]);
        at[1] = Clock::now();
        content.StoreToFile(argv[2]);
        at[2] = Clock::now();
        vorn::RewriteFaceNames(content, [](const vorn::String&) {});
        at[3] = Clock::now();
        content.StoreToFile(argv[1]);
        at[4] = Clock::now();
        length = content.DataLength();
    } catch (const vorn::Exception& e) {
        std::fprintf(stderr, "path_bench: %s: %s\n", e.ClassName(), e.Message().c_str());
        return 1;
    }
    at[5] = Clock::now();
    const auto ms = [&](int from, int to) {
        return std::chrono::duration<double, std::milli>(at[to] - at[from]).count();
    };
    const SIZE_T peak = PeakPrivateBytes();
    std::printf("path_ms=%.0f load_ms=%.1f backup_ms=%.1f scan_ms=%.1f store_ms=%.1f "
                "release_ms=%.1f peak_extra_bytes=%lu file_bytes=%ld\n",
                ms(0, 5), ms(0, 1), ms(1, 2), ms(2, 3), ms(3, 4), ms(4, 5),
                static_cast<unsigned long>(peak - before), static_cast<long>(length));
    return 0;
}
