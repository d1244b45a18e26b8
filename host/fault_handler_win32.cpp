// Implements host/startup.h, its top-level handler part (declared for the unit
// in fault_handler_win32.h): processor and OS exceptions become exceptions of
// host/exceptions.h raised at the faulting instruction.
#include "host/fault_handler_win32.h"
#include "host/error_report.h"
#include "host/host_texts.h"
#include "host/processor_faults.h"
#include "host/startup.h"

#include <windows.h>

#include <cstring>
#include <exception>

namespace vorn {

namespace {

struct Fault {
    DWORD code = 0;
    const void* address = nullptr;
    ULONG_PTR access = 0; // access violation: 0 read, 1 write, 8 execute
    ULONG_PTR target = 0; // access violation: the address that was refused
};

Fault g_fault;
// Set while a fault is on its way to its stub; a fault before the stub runs
// (a broken stack, say) is then taken where it happened.
bool g_redirecting = false;
std::exception_ptr (*g_faultMapper)(const Fault&) = nullptr;
std::uintptr_t g_stackTop = 0;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;

static_assert(EXCEPTION_ACCESS_VIOLATION == kAccessViolationCode);

bool IsFloatFault(DWORD code) {
    return code >= EXCEPTION_FLT_DENORMAL_OPERAND && code <= EXCEPTION_FLT_UNDERFLOW;
}

std::exception_ptr MapFault(const Fault& fault) {
    const ProcessorFault* row = FindProcessorFault(fault.code);
    if (!row) {
        EExternalException e(FillIn(MsgExternalException, Hex8(fault.code)));
        e.SetRaiseAddress(fault.address);
        return std::make_exception_ptr(e);
    }
    if (row->message) return row->make(row->message, fault.address);
    const char* format = fault.access == 1   ? MsgAccessViolationWrite
                         : fault.access == 8 ? MsgAccessViolationExecute
                                             : MsgAccessViolationRead;
    return row->make(FillIn(format, Hex8(static_cast<std::uint32_t>(fault.target))), fault.address);
}

// Ends the program for g_fault right here, without unwinding.
[[noreturn]] void TakeFault() {
    if (g_faultMapper) {
        try {
            std::rethrow_exception(g_faultMapper(g_fault));
        } catch (...) {
            TakeCurrentException(g_fault.address);
        }
    }
    FatalRuntimeError(RuntimeErrorNumberOfCode(g_fault.code), g_fault.address);
}

// Entered as if called from the faulting instruction, so that the unwinder
// walks from there through the run's frames and runs their clean-ups.
[[noreturn]] __attribute__((noinline, force_align_arg_pointer)) void RaiseFault() {
    g_redirecting = false;
    if (!g_faultMapper) FatalRuntimeError(RuntimeErrorNumberOfCode(g_fault.code), g_fault.address);
    std::rethrow_exception(g_faultMapper(g_fault));
}

[[noreturn]] __attribute__((noinline, force_align_arg_pointer)) void TakeStackOverflow() {
    g_redirecting = false;
    TakeFault();
}

} // namespace

} // namespace vorn

// The processor-specific part of the redirection, kept to this block: the
// registers the handler sets, the stub, and the floating-point state.
//
// The handler cannot push onto the faulting stack itself (the OS keeps its
// dispatch record just below it), so the resumed thread does: the stub pushes
// the return register as the return address and jumps to the target register.
extern "C" void vorn_fault_stub();
#if defined(__x86_64__)
// The faulting stack may be aligned either way, and a call needs 16 bytes
// plus home space. So the pushed address is the return address of a small
// frame, described to the unwinder through its frame pointer, that aligns the
// stack and calls the target; unwinding it gives back the faulting stack.
asm(".text\n"
    ".globl vorn_fault_stub\n"
    "vorn_fault_stub:\n"
    "    pushq %rax\n"
    "    jmp vorn_fault_frame\n"
    ".seh_proc vorn_fault_frame\n"
    "vorn_fault_frame:\n"
    "    pushq %rbp\n"
    "    .seh_pushreg %rbp\n"
    "    movq %rsp, %rbp\n"
    "    .seh_setframe %rbp, 0\n"
    "    .seh_endprologue\n"
    "    andq $-16, %rsp\n"
    "    subq $32, %rsp\n"
    "    call *%rcx\n"
    "    ud2\n"
    ".seh_endproc\n");
#elif defined(__i386__)
asm(".text\n"
    ".globl _vorn_fault_stub\n"
    "_vorn_fault_stub:\n"
    "    pushl %eax\n"
    "    jmp *%ecx\n");
#else
#error "the fault redirection knows x86 and x86-64 only"
#endif

namespace vorn {

namespace {

struct Registers {
    CONTEXT& context;
#if defined(__x86_64__)
    DWORD64& StackPointer() { return context.Rsp; }
    DWORD64& InstructionPointer() { return context.Rip; }
    DWORD64& ReturnRegister() { return context.Rax; }
    DWORD64& TargetRegister() { return context.Rcx; }
#else
    DWORD& StackPointer() { return context.Esp; }
    DWORD& InstructionPointer() { return context.Eip; }
    DWORD& ReturnRegister() { return context.Eax; }
    DWORD& TargetRegister() { return context.Ecx; }
#endif
};

template <class F> std::uintptr_t CodeAddress(F* function) {
    return reinterpret_cast<std::uintptr_t>(function);
}

} // namespace

} // namespace vorn

namespace vorn {

namespace {

// Empties the x87 stack, drops its pending exception flags and masks them
// all, or the next floating-point instruction would fault again; SSE's flags
// are dropped and masked the same way. The thread resumes with the FXSAVE
// image where the context holds one, so every copy changes.
void ClearFxsaveImage(BYTE* image) {
    // FXSAVE layout: control word, status word, abridged tag (0 = empty).
    WORD control = 0;
    std::memcpy(&control, image, sizeof control);
    control |= 0x3F;
    std::memcpy(image, &control, sizeof control);
    const WORD status = 0;
    std::memcpy(image + 2, &status, sizeof status);
    image[4] = 0;
}

void ClearFloatFault(CONTEXT& context) {
#if defined(__x86_64__)
    ClearFxsaveImage(reinterpret_cast<BYTE*>(&context.FltSave));
    constexpr DWORD kSseFlags = 0x3F, kSseMasks = 0x1F80;
    context.MxCsr = (context.MxCsr & ~kSseFlags) | kSseMasks;
    context.FltSave.MxCsr = context.MxCsr;
#else
    context.FloatSave.StatusWord = 0;
    context.FloatSave.TagWord = 0xFFFF;
    context.FloatSave.ControlWord |= 0x3F;
    if ((context.ContextFlags & CONTEXT_EXTENDED_REGISTERS) == CONTEXT_EXTENDED_REGISTERS)
        ClearFxsaveImage(context.ExtendedRegisters);
#endif
}

LONG WINAPI TopLevelHandler(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    CONTEXT& context = *pointers->ContextRecord;
    g_fault = {record.ExceptionCode, record.ExceptionAddress, 0, 0};
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        g_fault.access = record.ExceptionInformation[0];
        g_fault.target = record.ExceptionInformation[1];
    }
    constexpr DWORD kNeeded = CONTEXT_CONTROL | CONTEXT_INTEGER;
    if (g_redirecting || (record.ExceptionFlags & EXCEPTION_NONCONTINUABLE) ||
        (context.ContextFlags & kNeeded) != kNeeded)
        TakeFault();

    g_redirecting = true;
    Registers registers{context};
    if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
        // No stack is left for unwinding: the report runs near the top.
        registers.StackPointer() = g_stackTop;
        registers.ReturnRegister() = 0;
        registers.TargetRegister() = CodeAddress(&TakeStackOverflow);
        registers.InstructionPointer() = CodeAddress(&vorn_fault_stub);
    } else if (g_fault.access == 8 || (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
                                       g_fault.target == registers.InstructionPointer())) {
        // A call to a bad address: the caller's return address is on top.
        registers.InstructionPointer() = CodeAddress(&RaiseFault);
    } else {
        // One past the faulting instruction: the unwinder looks up the byte
        // before a return address, and that byte must be the faulting
        // instruction's own, not the one before it with its other stack state.
        registers.ReturnRegister() = registers.InstructionPointer() + 1;
        registers.TargetRegister() = CodeAddress(&RaiseFault);
        registers.InstructionPointer() = CodeAddress(&vorn_fault_stub);
    }
    if (IsFloatFault(record.ExceptionCode)) ClearFloatFault(context);
    return EXCEPTION_CONTINUE_EXECUTION;
}

#if defined(__x86_64__)
// A 64-bit thread walks every frame of a stack overflow before the top-level
// filter sees it, and on Wine that walk runs out of the little stack that is
// left: the process dies unreported. Taken first, the overflow is redirected
// the same way as in the 32-bit build; it skips the clean-ups there too.
void* g_stackOverflowHandler = nullptr;

// The overflow is dispatched on what is left below the guard page, and a
// 64-bit context record alone takes more than a page of it: keep 64 KiB. A
// stack committed in full (Wine commits the main thread's) has no guard page
// to move down, so one is set where the kept part begins; where that part is
// not committed yet the call fails and the system's own guard does the work.
void ReserveStackForOverflow() {
    constexpr ULONG kKept = 64 * 1024, kPage = 4096;
    ULONG guarantee = kKept;
    SetThreadStackGuarantee(&guarantee);
    MEMORY_BASIC_INFORMATION stack{};
    if (VirtualQuery(&stack, &stack, sizeof stack) != sizeof stack) return;
    auto* guard = static_cast<BYTE*>(stack.AllocationBase) + kPage + kKept - kPage;
    DWORD previous = 0;
    VirtualProtect(guard, kPage, PAGE_READWRITE | PAGE_GUARD, &previous);
}

LONG WINAPI StackOverflowHandler(EXCEPTION_POINTERS* pointers) {
    if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW)
        return EXCEPTION_CONTINUE_SEARCH;
    return TopLevelHandler(pointers);
}
#endif

[[noreturn]] void OnTerminate() {
    if (std::current_exception()) TakeCurrentException(nullptr);
    FatalRuntimeError(217, __builtin_return_address(0));
}

} // namespace

void InstallTopLevelHandler(const void* stackTop) {
    g_stackTop = (reinterpret_cast<std::uintptr_t>(stackTop) - 256) & ~std::uintptr_t{15};
#if defined(__x86_64__)
    g_stackOverflowHandler = AddVectoredExceptionHandler(1, &StackOverflowHandler);
    ReserveStackForOverflow();
#endif
    g_previousFilter = SetUnhandledExceptionFilter(&TopLevelHandler);
    g_previousTerminate = std::set_terminate(&OnTerminate);
}

void RemoveTopLevelHandler() {
#if defined(__x86_64__)
    if (g_stackOverflowHandler) RemoveVectoredExceptionHandler(g_stackOverflowHandler);
    g_stackOverflowHandler = nullptr;
#endif
    SetUnhandledExceptionFilter(g_previousFilter);
    std::set_terminate(g_previousTerminate);
}

void InstallFaultMapper() {
    g_faultMapper = &MapFault;
}

void RemoveFaultMapper() {
    g_faultMapper = nullptr;
}

} // namespace vorn
