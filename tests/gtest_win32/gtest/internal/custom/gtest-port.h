// GoogleTest's hook for a port's own pieces, found before Debian's empty one
// (tests/gtest_win32/CMakeLists.txt puts this folder first on gtest's
// include path).
//
// The Windows build uses the compiler's win32 thread model, whose C++
// library has no std::mutex or std::condition_variable: the posix model's
// runtime waits on winpthread, which needs Vista. GoogleTest's own Windows
// locks and thread-locals are Win32 ones; only its Notification (which gates
// the threads of its own thread tests, never started by ours) is written on
// std::mutex. This one waits on a Win32 event instead (notification_win32.cpp).
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
  public:
    Notification();
    ~Notification();
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    // Lets every thread waiting now or later go on.
    void Notify();
    void WaitForNotification();

  private:
    void* event_; // a manual-reset event, not signalled until Notify
};

} // namespace testing::internal
