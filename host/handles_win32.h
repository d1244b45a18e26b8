// Owners of the Win32 handles the program and its tools hold: each closes its
// handle when it goes out of scope, however the scope is left (an exception
// from a step in the middle, an early return).
//
// Contract: an owner starts empty or takes the handle it is given, is moved
// and never copied, and closes only a handle that is not its type's "none"
// value. Get() lends the handle; Put() empties the owner and gives the place
// an API writes a new handle to; Release() gives the handle up unclosed.
// Nothing here raises.
#pragma once

#include <windows.h>

namespace vorn {

template <typename T, typename Traits> class Owned {
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
    explicit operator bool() const { return Traits::Valid(handle_); }
    T* Put() {
        Reset();
        return &handle_;
    }
    T Release() {
        T handle = handle_;
        handle_ = Traits::None();
        return handle;
    }
    void Reset(T handle = Traits::None()) {
        if (Traits::Valid(handle_)) Traits::Close(handle_);
        handle_ = handle;
    }

  private:
    T handle_ = Traits::None();
};

// Kernel handles: files (INVALID_HANDLE_VALUE for none), processes, threads,
// events and snapshots (null or INVALID_HANDLE_VALUE, depending on the API).
struct KernelTraits {
    static HANDLE None() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
using ScopedHandle = Owned<HANDLE, KernelTraits>;

struct FindTraits {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using ScopedFind = Owned<HANDLE, FindTraits>;

struct KeyTraits {
    static HKEY None() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
using ScopedKey = Owned<HKEY, KeyTraits>;

template <typename T> struct GdiTraits {
    static T None() { return nullptr; }
    static bool Valid(T h) { return h != nullptr; }
    static void Close(T h) { DeleteObject(h); }
};
template <typename T> using ScopedGdi = Owned<T, GdiTraits<T>>;
using ScopedFont = ScopedGdi<HFONT>;
using ScopedBitmap = ScopedGdi<HBITMAP>;

// A device context made by CreateCompatibleDC or CreateDC.
struct MemoryDcTraits {
    static HDC None() { return nullptr; }
    static bool Valid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
using ScopedMemoryDc = Owned<HDC, MemoryDcTraits>;

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
