// GoogleTest's Notification on a Win32 event (gtest/internal/custom/gtest-port.h).
#include "gtest/gtest.h"

#include <windows.h>

#include <cstdlib>

namespace testing::internal {

Notification::Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    // Without its event no thread could ever be let go: fail here, not in a wait.
    if (event_ == nullptr) std::abort();
}

Notification::~Notification() {
    CloseHandle(event_);
}

void Notification::Notify() {
    SetEvent(event_);
}

void Notification::WaitForNotification() {
    WaitForSingleObject(event_, INFINITE);
}

} // namespace testing::internal
