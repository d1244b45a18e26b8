// Fuzzes the scenario reader: any file must end in a scenario or a
// ScenarioError, never a sanitizer report or another exception (a JSON type
// error, a codec error) that would escape the runner's report. An accepted
// scenario's file paths must be listable. Built natively (tools/fuzz), with
// the Win32 text conversions the reader calls implemented on iconv.
#include "tools/runner/scenario.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const vorn::runner::Scenario scenario = vorn::runner::ParseScenario(text, "fuzz.json");
        vorn::runner::NamedFilePaths(scenario);
    } catch (const vorn::runner::ScenarioError&) {
    }
    return 0;
}
