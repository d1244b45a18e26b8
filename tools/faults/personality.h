// The older Windows the bench can play (tools/bench/personality sets one on a
// bench): the version Wine is told to report, the family the programs see,
// and what that Windows has among the functions the programs and their
// runtimes look up at run time (GetProcAddress). The twins' import hook
// (fault_hook_win32.cpp) plays the rest; the runner takes the family from
// here. Portable: no Win32 in here.
#pragma once

namespace vorn::faults {

// The variable that names the Windows played, in the twins' environment and
// the runner's (tools/bench/wine-run passes it on); and the file that the
// twins' hook writes what it played to, one line each, when the fault
// sweep's log (fault_hook.h) is not set.
inline constexpr char kPersonalityVariable[] = "VORN_PERSONALITY";
inline constexpr char kPersonalityLogVariable[] = "VORN_PERSONALITY_LOG";

struct PersonalityName {
    const char* name;
    // Of the 95/98/ME family, whose stubs the twins play.
    bool nineX;
    // What people call it, for messages ("Windows 98").
    const char* title;
    // The version Wine reports when set to play it (GetVersionExA); 0 for
    // `today`, the bench's own.
    unsigned major, minor;
};
inline constexpr PersonalityName kPersonalities[] = {
    {"today", false, "the bench's own Windows", 0, 0},
    {"win98", true, "Windows 98", 4, 10},
    {"win2000", false, "Windows 2000", 5, 0},
};

// The personality of that name; nullptr for an unknown one.
const PersonalityName* FindPersonality(const char* name);

// Whether `personality` has `function` in `module` (any letter case, with or
// without ".dll"), among the functions the programs and their runtimes are
// known to look up (personality.cpp). A function not in that list is taken to
// be missing from every older Windows: a new look-up is refused there until
// its first Windows is written down. `today` has everything.
struct FunctionOnPersonality {
    bool found;
    // The first Windows that has it; nullptr when the list does not know it.
    const char* firstWindows;
};
FunctionOnPersonality LookUpFunction(const PersonalityName& personality, const char* module,
                                     const char* function);

} // namespace vorn::faults
