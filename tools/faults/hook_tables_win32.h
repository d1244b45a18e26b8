// What the twins' two hook units share: fault_hook_win32.cpp (the faults,
// the stubs of an older Windows, and the installing of every hook) and
// personality_hooks_win32.cpp (the rest of the older Windows played).
#pragma once

#include "tools/faults/personality.h"

#include <windows.h>

#include <span>
#include <string>

namespace vorn::faults {

// A function of Windows' own libraries that the hook points the program's
// import table at `hook`, after asking the system for the real one into
// `*real`; with no `hook`, only the real one is asked for (a hook calls it).
struct Hook {
    const char* module;
    const char* name;
    void** real;
    void* hook;
};

#define VORN_REAL(name) decltype(&::name) Real##name = nullptr
#define VORN_HOOK(module, name)                                                                    \
    { module, #name, reinterpret_cast<void**>(&Real##name), reinterpret_cast<void*>(&Hook##name) }
#define VORN_HELPER(module, name)                                                                  \
    { module, #name, reinterpret_cast<void**>(&Real##name), nullptr }

// The Windows played (fault_hook.h); `today` when none is.
const PersonalityName& Personality();
// Logs what the personality played, each line once a process: to the sweep's
// log when it runs, else to VORN_PERSONALITY_LOG's file.
void LogPlay(const std::string& line);

// personality_hooks_win32.cpp's hooks, and the functions they call.
std::span<const Hook> PersonalityHooks();

} // namespace vorn::faults
