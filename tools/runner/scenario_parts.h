// The pieces of the scenario reader that more than one part of a file uses.
#pragma once

#include "tools/runner/json_fields.h"

namespace vorn::runner {

Setup ReadSetup(const Field& field);
// text, hex or bytes of `object`; nullopt when it has none of them.
std::optional<Content> ReadContent(Object& object);
Content NeedContent(Object& object);
// A registry key path below HKEY_CURRENT_USER.
std::string ReadKey(const Field& field);
// "type" and "data" of `object` for the value it names; nullopt when it
// names none (`named` false), and then it may hold neither.
std::optional<RegistryData> ReadRegistryData(Object& object, bool named);

} // namespace vorn::runner
