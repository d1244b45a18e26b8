// Owners of the Win32 handles the program and its tools hold: each closes its
// handle when it goes out of scope, however the scope is left (an exception
// from a step in the middle, an early return).
//
// Contract: an owner starts empty or takes the handle it is given, is moved
// and never copied, and closes only a real handle: neither null nor
// INVALID_HANDLE_VALUE, which the file, find and snapshot APIs give on
// failure. Get() lends the handle; Put() empties the owner and gives the place
// an API writes a new handle to; Release() gives the handle up unclosed.
// Nothing here raises.
#pragma once

#include <windows.h>

#include <utility>

namespace vorn {

template <typename T, auto Close> class Owned {
  public:
    Owned() = default;
    explicit Owned(T handle) : handle_(handle) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : handle_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T Get() const { return handle_; }
    explicit operator bool() const {
        return handle_ && reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE;
    }
    T* Put() {
        Reset();
        return &handle_;
    }
    T Release() { return std::exchange(handle_, T{}); }
    void Reset(T handle = T{}) {
        if (*this) Close(handle_);
        handle_ = handle;
    }

  private:
    T handle_{};
};

// Files, processes, threads, events and snapshots.
using ScopedHandle = Owned<HANDLE, &CloseHandle>;
using ScopedFind = Owned<HANDLE, &FindClose>;
using ScopedKey = Owned<HKEY, &RegCloseKey>;
using ScopedFont = Owned<HFONT, &DeleteObject>;
using ScopedBitmap = Owned<HBITMAP, &DeleteObject>;
// A device context made by CreateCompatibleDC or CreateDC.
using ScopedMemoryDc = Owned<HDC, &DeleteDC>;

// A window's device context from GetDC, given back to the same window.
class ScopedWindowDc {
  public:
    explicit ScopedWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedWindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, the one it replaced put back.
class ScopedSelect {
  public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The two handles CreateProcess gives.
struct ScopedProcess {
    ScopedProcess() = default;
    explicit ScopedProcess(const PROCESS_INFORMATION& info)
        : process(info.hProcess), thread(info.hThread) {}
    ScopedHandle process;
    ScopedHandle thread;
};

} // namespace vorn
