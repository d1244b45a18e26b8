// The test machine's registry below HKEY_CURRENT_USER: writing what a
// scenario sets up, reading back what the run left, and listing a whole tree
// for the summary; and, below any root, reading a tree whole and bringing it
// back to what was read (the kit's keeping, machine_keeping.h). Key paths and
// names are code page 932.
#pragma once

#include "tools/runner/scenario.h"

#include <string>
#include <utility>
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

// One key of a tree as the ANSI registry functions read it: its path below
// the root and its values in the order the key gives them (the order regedit
// shows), each with its type and exact bytes.
struct KeyRecord {
    std::string path;
    std::vector<std::pair<std::string, RegistryData>> values;
};
// Every key below `key` of `root`, the key first, each before its subkeys;
// empty when the key does not exist. Throws MachineError on a key or value
// that cannot be read: a tree read in part must never be taken for whole.
std::vector<KeyRecord> ReadKeyTree(HKEY root, const std::string& key);
// Brings `key` of `root` to hold exactly `tree` (as ReadKeyTree gave it; empty:
// no key): removes the keys it lacks, makes the keys it has, and rewrites the
// values of each key whose values differ, in their order. A key that already
// holds its values is not written. Returns whether anything changed; throws
// MachineError on the first write that fails.
bool MakeKeyTreeHold(HKEY root, const std::string& key, const std::vector<KeyRecord>& tree);
// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE", for messages.
std::string RootName(HKEY root);

} // namespace vorn::runner
