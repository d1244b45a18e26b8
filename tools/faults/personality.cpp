// Implements tools/faults/personality.h.
#include "tools/faults/personality.h"

#include <cctype>
#include <cstring>
#include <string>

namespace vorn::faults {
namespace {

// A function the programs or their runtimes look up, whether each older
// Windows has it, and the first Windows that has it, from its documentation
// page. A name missing here is found on none of them: add it when a look-up
// of it appears in the personality's log ("refused GetProcAddress ... not
// known"). The 32-bit runtime's own look-up, of its frame registration in
// libgcc_s_dw2-1.dll, is in no library of Windows and is passed through.
struct KnownFunction {
    const char* module;
    const char* name;
    bool win98;
    bool win2000;
    const char* firstWindows;
};

const KnownFunction kKnownFunctions[] = {
    // The start-up's narrowed DLL search (host/startup_win32.cpp).
    {"kernel32", "SetDefaultDllDirectories", false, false, "8, 7 with KB2533623"},
    {"kernel32", "SetDllDirectoryA", false, false, "XP SP1"},
};

std::string LibraryName(const char* module) {
    std::string name;
    for (const char* c = module; *c; ++c)
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dll") == 0)
        name.resize(name.size() - 4);
    return name;
}

} // namespace

const PersonalityName* FindPersonality(const char* name) {
    for (const PersonalityName& personality : kPersonalities)
        if (std::strcmp(personality.name, name) == 0) return &personality;
    return nullptr;
}

FunctionOnPersonality LookUpFunction(const PersonalityName& personality, const char* module,
                                     const char* function) {
    const std::string library = LibraryName(module);
    for (const KnownFunction& known : kKnownFunctions)
        if (library == known.module && std::strcmp(function, known.name) == 0)
            return {personality.major == 0 || (personality.nineX ? known.win98 : known.win2000),
                    known.firstWindows};
    return {personality.major == 0, nullptr};
}

} // namespace vorn::faults
