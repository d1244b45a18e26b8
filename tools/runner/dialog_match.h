// Comparing a dialog on the screen with the one the scenario expects.
#pragma once

#include "tools/runner/scenario.h"

#include "tools/robot/robot.h"

#include <optional>
#include <string>

namespace vorn::runner {

// `pattern` against `actual`, both code page 932: "{ADDR}" stands for exactly
// eight characters 0-9 A-F, "{*}" for any run of characters (none included);
// everything else must be equal. Double-byte characters are never split.
bool TextMatches(const std::string& pattern, const std::string& actual);

// The caption a dialog of this kind shows unless the scenario names another
// (an information dialog shows the title of the program that runs); nullopt
// for the input box, whose caption is only compared when given.
std::optional<std::string> DefaultCaption(ScenarioDialogKind kind, const std::string& programTitle);

// The first field in which the dialog differs, as "field: expected ..., the
// dialog shows ..." (UTF-8); nullopt when it is the expected one.
std::optional<std::string> FindDifference(const ExpectedDialog& expected,
                                          const robot::Dialog& actual,
                                          const std::string& programTitle = "Vorn");

// A short description of a dialog for messages: shape, caption, text, buttons.
std::string Sketch(const robot::Dialog& dialog);

} // namespace vorn::runner
