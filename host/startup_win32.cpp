// Implements host/startup.h on Win32: the process frame, the error report, the
// runtime-error box and the end sequence. The top-level handler that turns
// processor faults into exceptions lives in fault_handler_win32.cpp.
#include "host/startup.h"
#include "host/application.h"
#include "host/error_report.h"
#include "host/fault_handler_win32.h"
#include "host/host_texts.h"
#include "host/library_replacements.h"
#include "host/resource_ids.h"
#include "host/system_facts.h"

#include <windows.h>

#include <cxxabi.h>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

namespace vorn {

namespace {

HMODULE g_instance = nullptr;
char g_programPath[MAX_PATH + 1] = "";
std::int32_t g_processExitCode = 0;
std::optional<const void*> g_faultAddress;
void (*g_reportHook)(const Exception*, const void*) = nullptr;
std::span<const StartupComponent> g_components;
// Components whose start was entered; the failing one counts as started.
std::size_t g_started = 0;
bool g_reporting = false;

// Stands for a thrown object that is no Exception: the report names the C++
// type that was thrown (e.g. "std::runtime_error", "int") and has no message.
class ForeignException : public Exception {
  public:
    explicit ForeignException(String typeName) : Exception(""), typeName_(std::move(typeName)) {}
    const char* ClassName() const override { return typeName_.c_str(); }

  private:
    String typeName_;
};

String CurrentExceptionTypeName() {
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) return "UnknownException";
    // The name's own reading, not the library's demangler: that one alone
    // is a sixth of the program's size.
    return ReadableTypeName(type->name());
}

struct ModulePlace {
    String file;
    std::uint32_t offset;
};

// The module holding `address` and the address relative to its start; for an
// address in no module, the program's own file and address - 4096.
ModulePlace LocateAddress(const void* address) {
    MEMORY_BASIC_INFORMATION region;
    char file[MAX_PATH + 1];
    if (VirtualQuery(address, &region, sizeof region) == sizeof region &&
        region.State == MEM_COMMIT && region.AllocationBase &&
        GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), file, sizeof file) != 0)
        return {file, static_cast<std::uint32_t>(
                          reinterpret_cast<std::uintptr_t>(address) -
                          reinterpret_cast<std::uintptr_t>(region.AllocationBase))};
    const auto absolute = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
    return {g_programPath, absolute == 0 ? 0 : absolute - 4096};
}

// The runtime-error box's address: relative to its region's allocation base,
// absolute when the address lies in no committed memory.
std::uint32_t RuntimeErrorAddress(const void* address) {
    MEMORY_BASIC_INFORMATION region;
    auto value = reinterpret_cast<std::uintptr_t>(address);
    if (VirtualQuery(address, &region, sizeof region) == sizeof region &&
        region.State == MEM_COMMIT)
        value -= reinterpret_cast<std::uintptr_t>(region.AllocationBase);
    return static_cast<std::uint32_t>(value);
}

std::size_t BuildErrorReport(const Exception* e, const void* address, char* buffer,
                             std::size_t size) {
    const ModulePlace place = LocateAddress(address);
    char format[256] = "";
    LoadStringA(g_instance, IDS_ERROR_REPORT_FORMAT, format, sizeof format);
    const String text = BuildErrorReportText(
        format, e->ClassName(), FileNamePart(place.file, IsSystemLeadByte).substr(0, MAX_PATH),
        place.offset, e->Message(), size);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return text.size();
}

void ShowErrorReport(const Exception* e, const void* address) {
    char text[1024];
    BuildErrorReport(e, address, text, sizeof text);
    char caption[64] = "";
    LoadStringA(g_instance, IDS_ERROR_REPORT_CAPTION, caption, sizeof caption);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void StartExceptionSupport() {
    g_reportHook = &ReportAndExit;
    InstallFaultMapper();
}

void StopExceptionSupport() {
    g_reportHook = nullptr;
    RemoveFaultMapper();
}

void StartApplication() {
    CreateApplication(&EndProcess);
}

constexpr StartupComponent kHostComponents[] = {
    {&CaptureSystemFacts, nullptr},
    {&StartExceptionSupport, &StopExceptionSupport},
    {&StartApplication, &DestroyApplication},
};

void FinaliseComponents() {
    while (g_started > 0) {
        const StartupComponent& component = g_components[--g_started];
        if (component.stop) component.stop();
    }
}

// An exception nothing in the run caught: the report when the hook is in
// place, else the runtime-error box with the exception's number.
[[noreturn]] void TakeEscapedException(const Exception& e, const void* address) {
    if (g_reportHook) g_reportHook(&e, address);
    FatalRuntimeError(RuntimeErrorNumber(e), address);
}

} // namespace

// Called from a catch handler (or with an exception current in terminate).
[[noreturn]] void TakeCurrentException(const void* fallbackAddress) {
    try {
        throw;
    } catch (const Exception& e) {
        TakeEscapedException(e, e.RaiseAddress());
    } catch (const std::bad_alloc&) {
        const EOutOfMemory e(MsgOutOfMemory);
        TakeEscapedException(e, fallbackAddress);
    } catch (const LibraryError& library) {
        const ForeignException e(library.TypeName());
        TakeEscapedException(e, fallbackAddress);
    } catch (...) {
        const ForeignException e(CurrentExceptionTypeName());
        TakeEscapedException(e, fallbackAddress);
    }
}

std::span<const StartupComponent> HostComponents() {
    return kHostComponents;
}

void RunProgram(void (*run)()) {
    RunProgramWith(HostComponents(), run);
}

void RunProgramWith(std::span<const StartupComponent> components, void (*run)()) {
    g_instance = GetModuleHandleA(nullptr);
    GetModuleFileNameA(g_instance, g_programPath, sizeof g_programPath);
    InstallTopLevelHandler(__builtin_frame_address(0));

    g_components = components;
    for (const StartupComponent& component : components) {
        ++g_started;
        try {
            component.start();
        } catch (...) {
            FinaliseComponents();
            TakeCurrentException(reinterpret_cast<const void*>(component.start));
        }
    }

    try {
        run();
    } catch (...) {
        TakeCurrentException(reinterpret_cast<const void*>(run));
    }
    EndProcess();
}

void ReportAndExit(const Exception* e, const void* address) {
    // A failure inside the report itself must not report again.
    if (g_reporting) FatalRuntimeError(217, address);
    g_reporting = true;
    // Set before the box: Windows may shut down while it is up, and the
    // application window then ends the process with this code at once.
    g_processExitCode = 1;
    ShowErrorReport(e, address);
    EndProcess();
}

void FatalRuntimeError(std::int32_t number, const void* address) {
    g_faultAddress = address;
    g_processExitCode = number;
    EndProcess();
}

void EndProcess() {
    if (g_faultAddress) {
        const String text =
            BuildRuntimeErrorText(g_processExitCode, RuntimeErrorAddress(*g_faultAddress));
        g_faultAddress.reset();
        MessageBoxA(nullptr, text.c_str(), MsgRuntimeErrorCaption, 0);
    }
    FinaliseComponents();
    RemoveTopLevelHandler();
    ExitProcess(static_cast<UINT>(g_processExitCode));
}

} // namespace vorn
