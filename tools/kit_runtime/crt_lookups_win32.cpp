// The kit programs' stand-ins for three pieces of the C runtime
// (crt_lookups_win32.h says which and why). The runtime's own names are
// defined here as the C++ library calls them: ___lc_codepage_func as a
// function, _fstat64 and rand_s through their import pointers, which the
// library's objects (declared dllimport) call through. With these defined
// the linker takes neither the runtime's stand-ins nor msvcrt.dll's
// _fstat64 import.
#include "tools/kit_runtime/crt_lookups_win32.h"

#include <windows.h>

#include <cerrno>

namespace vorn::kit_runtime {
namespace {

// msvcrt.dll is loaded: the program imports it.
template <typename Function> Function FromMsvcrt(const char* name) {
    const HMODULE msvcrt = GetModuleHandleA("msvcrt.dll");
    return msvcrt
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(msvcrt, name)))
               : nullptr;
}

// _fstati64's record in msvcrt.dll: _stat64's fields, with time_t's width
// (32 bits on 32-bit Windows).
struct OlderStatus {
    _dev_t st_dev;
    _ino_t st_ino;
    unsigned short st_mode;
    short st_nlink;
    short st_uid;
    short st_gid;
    _dev_t st_rdev;
    __int64 st_size;
#ifdef _WIN64
    __time64_t st_atime, st_mtime, st_ctime;
#else
    __time32_t st_atime, st_mtime, st_ctime;
#endif
};

} // namespace

unsigned CodePageOfCLocale() {
    using Function = unsigned(__cdecl*)();
    static const Function own = FromMsvcrt<Function>("___lc_codepage_func");
    if (own) return own();
    static const unsigned* const variable = FromMsvcrt<const unsigned*>("__lc_codepage");
    return variable ? *variable : 0;
}

int StatOpenFile(int descriptor, struct _stat64* status) {
    using Function = int(__cdecl*)(int, struct _stat64*);
    static const Function own = FromMsvcrt<Function>("_fstat64");
    return own ? own(descriptor, status) : StatThroughOlderCall(descriptor, status);
}

int StatThroughOlderCall(int descriptor, struct _stat64* status) {
    using Function = int(__cdecl*)(int, OlderStatus*);
    static const Function older = FromMsvcrt<Function>("_fstati64");
    if (!older) {
        errno = ENOSYS;
        return -1;
    }
    OlderStatus found{};
    const int result = older(descriptor, &found);
    if (result != 0) return result;
    *status = {found.st_dev,   found.st_ino,   found.st_mode, found.st_nlink,
               found.st_uid,   found.st_gid,   found.st_rdev, found.st_size,
               found.st_atime, found.st_mtime, found.st_ctime};
    return 0;
}

int RandomNumber(unsigned* value) {
    using Function = int(__cdecl*)(unsigned*);
    static const Function own = FromMsvcrt<Function>("rand_s");
    if (own) return own(value);
    using Generator = BOOLEAN(WINAPI*)(void*, ULONG);
    const HMODULE advapi32 = GetModuleHandleA("advapi32.dll");
    const auto generate = advapi32 ? reinterpret_cast<Generator>(reinterpret_cast<void*>(
                                         GetProcAddress(advapi32, "SystemFunction036")))
                                   : nullptr;
    if (generate && generate(value, sizeof *value)) return 0;
    *value = 0;
    return EINVAL;
}

} // namespace vorn::kit_runtime

extern "C" {

unsigned __cdecl ___lc_codepage_func() {
    return vorn::kit_runtime::CodePageOfCLocale();
}
unsigned(__cdecl* __MINGW_IMP_SYMBOL(___lc_codepage_func))() = ___lc_codepage_func;

static int __cdecl StatForLibrary(int descriptor, struct _stat64* status) {
    return vorn::kit_runtime::StatOpenFile(descriptor, status);
}
int(__cdecl* __MINGW_IMP_SYMBOL(_fstat64))(int, struct _stat64*) = StatForLibrary;

static int __cdecl RandomForLibrary(unsigned* value) {
    return vorn::kit_runtime::RandomNumber(value);
}
int(__cdecl* __MINGW_IMP_SYMBOL(rand_s))(unsigned*) = RandomForLibrary;
}
