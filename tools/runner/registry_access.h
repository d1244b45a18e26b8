// The test machine's registry below HKEY_CURRENT_USER: writing what a
// scenario sets up, reading back what the run left, and listing a whole tree
// for the summary. Key paths and names are code page 932.
#pragma once

#include "tools/runner/scenario.h"

#include <string>
#include <vector>

namespace vorn::runner {

// Removes the key with everything below it; a missing key is fine.
// Throws MachineError when something stays.
void RemoveKeyTree(const std::string& key);
void WriteRegistryEntry(const RegistryEntry& entry);

struct ValueState {
    bool keyExists = false;
    bool valueExists = false;
    RegistryData data;
};
ValueState ReadValue(const std::string& key, const std::string& valueName);
bool KeyExists(const std::string& key);

// A value as people read it, UTF-8: sz "C:\\ICQ\\", dword 1 (0x00000001), ...
std::string DescribeData(const RegistryData& data);
// Whether the value the run left matches the expected one: strings compare
// up to their terminating zero, a multi_sz as its list of strings.
bool SameData(const RegistryData& expected, const RegistryData& actual);

// Every key and value below `key` (itself included), one line each, UTF-8;
// a single line "(absent)" when the key does not exist. `exact` adds every
// value's size and bytes, so that two lists are equal only for equal trees.
std::vector<std::string> ListTree(const std::string& key, bool exact = false);

} // namespace vorn::runner
