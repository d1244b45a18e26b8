// A program that starts like VORN.EXE and then ends in the way its first
// argument names, for startup_test.cpp to watch from outside:
//   startup_probe SCENARIO MARKER-FILE
// It writes to MARKER-FILE the relative range of its own code ("code START
// END") and, as it goes, the clean-ups and component starts and stops it went
// through, so that the test can check their order after the process is gone.
#include "host/application.h"
#include "host/dialogs.h"
#include "host/exceptions.h"
#include "host/startup.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace vorn {
namespace {

String g_marker;
// Address 0, read at run time so that the compiler cannot drop the access.
volatile std::uintptr_t g_nowhere = 0;
char* volatile g_block = nullptr;

void Note(const String& line) {
    FILE* file = std::fopen(g_marker.c_str(), "ab");
    if (!file) return;
    std::fputs((line + "\n").c_str(), file);
    std::fclose(file);
}

void NoteCodeRange() {
    const auto base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (unsigned i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::strncmp(reinterpret_cast<const char*>(section->Name), ".text", 8) != 0) continue;
        char line[64];
        std::snprintf(line, sizeof line, "code %08lX %08lX", section->VirtualAddress,
                      section->VirtualAddress + section->Misc.VirtualSize);
        Note(line);
    }
}

// Notes its end when unwinding passes it: a clean-up block of the run.
struct CleanUp {
    ~CleanUp() { Note("clean-up"); }
};

void RaiseOpenError() {
    CleanUp cleanUp;
    Raise(EFOpenError(FillIn("ﾌｧｲﾙ %s は開けません", "C:\\表\\ICQCore.dll")));
}

void RaisePercent() {
    CleanUp cleanUp;
    Raise(Exception("100%s%d%% 完了"));
}

void RaiseWithStop() {
    CleanUp cleanUp;
    Raise(EReadError("ｽﾄﾘｰﾑからの読み込みｴﾗｰ."));
}

void WriteThroughNull() {
    CleanUp cleanUp;
    *reinterpret_cast<volatile int*>(g_nowhere) = 1;
    Note("after the fault");
}

void CallNull() {
    CleanUp cleanUp;
    void (*volatile function)() = nullptr;
    function();
    Note("after the fault");
}

void DivideByZero() {
    CleanUp cleanUp;
    volatile int zero = 0, dividend = 100;
    volatile int result = dividend / zero;
    (void)result;
    Note("after the fault");
}

// The compiler takes no asm for a throwing instruction, so the instructions
// sit in functions of their own and the run's frame sees a call.
__attribute__((noinline)) void Halt() {
    asm volatile("hlt");
}
__attribute__((noinline)) void Undefined() {
    asm volatile("ud2");
}

#if defined(__i386__)
// INTO and BOUND exist in 32-bit mode only: the 64-bit build has no way to
// raise these two faults, and its probe knows neither scenario.
__attribute__((noinline)) void OverflowTrap() {
    asm volatile("movl $0x7FFFFFFF, %%eax\n\taddl $1, %%eax\n\tinto" ::: "eax", "cc");
}
__attribute__((noinline)) void BoundTrap() {
    static const int limits[2] = {0, 1};
    const int index = 5;
    asm volatile("boundl %0, %1" : : "r"(index), "m"(limits));
}
#endif

// Divides on the x87 unit whatever the compiler uses for doubles (SSE on
// x86-64); a pending x87 fault comes at the next x87 instruction, the fwait.
double X87Divide(double dividend, double divisor) {
    double quotient = 0;
    asm volatile("fldl %1\n\tfdivl %2\n\tfstpl %0\n\tfwait"
                 : "=m"(quotient)
                 : "m"(dividend), "m"(divisor));
    return quotient;
}

// Unmasks the x87 zero-divide exception and divides by zero.
__attribute__((noinline)) void FloatDivideTrap() {
    unsigned short control = 0;
    asm volatile("fnstcw %0" : "=m"(control));
    const unsigned short unmasked = control & ~0x0004;
    asm volatile("fldcw %0" : : "m"(unmasked));
    X87Divide(1.0, 0.0);
}

#if defined(__i386__)
void IntegerOverflow() {
    CleanUp cleanUp;
    OverflowTrap();
    Note("after the fault");
}

void BoundsExceeded() {
    CleanUp cleanUp;
    BoundTrap();
    Note("after the fault");
}
#endif

// Divides by zero again on its way out: that must no longer fault once the
// first fault has been taken.
struct FloatCleanUp {
    ~FloatCleanUp() {
        const double quotient = X87Divide(1.0, 0.0);
        Note(quotient > 0 ? "clean-up" : "clean-up with a wrong quotient");
    }
};

void FloatDivideByZero() {
    FloatCleanUp cleanUp;
    FloatDivideTrap();
    Note("after the fault");
}

void PrivilegedInstruction() {
    CleanUp cleanUp;
    Halt();
    Note("after the fault");
}

void IllegalInstruction() {
    CleanUp cleanUp;
    Undefined();
    Note("after the fault");
}

int Recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth < 0) return 0; // never: the stack runs out first
    return Recurse(depth + 1) + frame[0];
}

void OverflowStack() {
    CleanUp cleanUp;
    Recurse(0);
}

void FaultInLibrary() {
    CleanUp cleanUp;
    std::size_t (*volatile length)(const char*) = &std::strlen;
    const char* volatile text = nullptr;
    Note(std::to_string(length(text)));
}

void ThrowRuntimeError() {
    CleanUp cleanUp;
    throw std::runtime_error("not shown");
}

void ThrowInt() {
    CleanUp cleanUp;
    throw 42;
}

void ExhaustMemory() {
    CleanUp cleanUp;
    volatile std::size_t huge = ~std::size_t{0} - 64;
    g_block = new char[huge]; // kept in a volatile, so the allocation stays
    Note("allocated");
    delete[] g_block;
}

// The run's dialog stays open until the test ends the session.
void WaitInDialog() {
    CleanUp cleanUp;
    AskUser("ｾｯｼｮﾝの終了を待っています", DialogKind::Warning, kButtonsOkCancel, 0);
    Raise(Exception("the dialog returned"));
}

void NoteRunEntered() {
    Note("run");
}

// After start-up: the DLL the test put beside the program, by bare name and
// by full path, and a system DLL by bare name.
void LoadLibraries() {
    char self[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    String folder(self, n);
    folder.erase(folder.find_last_of('\\') + 1);
    const auto load = [](const char* what, const String& name) {
        const bool before = GetModuleHandleA(name.c_str()) != nullptr;
        Note(String(what) + (before                                  ? ": loaded before"
                             : LoadLibraryA(name.c_str()) != nullptr ? ": loaded"
                                                                     : ": not loaded"));
    };
    load("beside by name", "vorn_beside.dll");
    load("beside by path", folder + "vorn_beside.dll");
    // Whichever of these system DLLs is not loaded yet: one loaded already
    // would come from the loaded list, whatever the search.
    for (const char* system : {"msimg32.dll", "hid.dll", "mpr.dll", "version.dll"})
        if (!GetModuleHandleA(system)) return load("system by name", system);
    Note("system by name: every candidate loaded before");
}

// Start-up components that note their starts and stops.
void StartFirst() {
    Note("start first");
}
void StopFirst() {
    Note("stop first");
}
void StartFailing() {
    Note("start failing");
    Raise(EOutOfResources("ｳｨﾝﾄﾞｳｸﾗｽの作成でｴﾗｰが発生しました"));
}
void StopFailing() {
    Note("stop failing");
}
void StartFaulting() {
    Note("start faulting");
    *reinterpret_cast<volatile int*>(g_nowhere) = 1;
}
void StopFaulting() {
    Note("stop faulting");
}

struct Scenario {
    const char* name;
    void (*run)();
};

constexpr Scenario kRuns[] = {
    {"return", &NoteRunEntered},
    {"open-error", &RaiseOpenError},
    {"percent", &RaisePercent},
    {"stop", &RaiseWithStop},
    {"access-violation", &WriteThroughNull},
    {"call-null", &CallNull},
    {"divide", &DivideByZero},
    {"privileged", &PrivilegedInstruction},
#if defined(__i386__)
    {"overflow", &IntegerOverflow},
    {"bounds", &BoundsExceeded},
#endif
    {"float-divide", &FloatDivideByZero},
    {"illegal", &IllegalInstruction},
    {"stack-overflow", &OverflowStack},
    {"library-fault", &FaultInLibrary},
    {"runtime-error", &ThrowRuntimeError},
    {"int", &ThrowInt},
    {"memory", &ExhaustMemory},
    {"end-session", &WaitInDialog},
    {"load-libraries", &LoadLibraries},
};

// Start-up failures: the host's components with one more that fails, after
// the exception support ("startup-fails") or before it ("startup-faults").
[[noreturn]] void FailStartup(bool fault) {
    const std::span<const StartupComponent> host = HostComponents();
    static std::vector<StartupComponent> components;
    if (fault) {
        components = {host[0], {&StartFirst, &StopFirst}, {&StartFaulting, &StopFaulting}};
    } else {
        components = {host[0], host[1], {&StartFirst, &StopFirst}, {&StartFailing, &StopFailing}};
        components.insert(components.end(), host.begin() + 2, host.end());
    }
    RunProgramWith(components, &NoteRunEntered);
}

} // namespace
} // namespace vorn

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 100;
    const vorn::String scenario = __argv[1];
    vorn::g_marker = __argv[2];
    vorn::NoteCodeRange();
    if (scenario == "startup-fails") vorn::FailStartup(false);
    if (scenario == "startup-faults") vorn::FailStartup(true);
    for (const auto& run : vorn::kRuns)
        if (scenario == run.name) vorn::RunProgram(run.run);
    return 101;
}
