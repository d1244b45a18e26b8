// Implements tools/runner/registry_access.h.
#include "tools/runner/registry_access.h"

#include "tools/runner/file_access.h"
#include "tools/runner/file_content.h"

#include "tools/robot/text_codec.h"
#include "tools/tree_removal/tree_removal.h"

#include "host/handles_win32.h"

#include <algorithm>

namespace vorn::runner {
namespace {

// A tree kept to be put back must be read whole (`strict`): what cannot be
// read throws rather than being left out. The summary lists what it can.
void ThrowIfStrict(bool strict, LONG result, const std::string& what) {
    if (strict) throw MachineError("cannot read " + robot::Cp932ToUtf8(what) + ErrorSuffix(result));
}

std::vector<std::string> SubkeyNames(HKEY key, const std::string& path, bool strict) {
    std::vector<std::string> names;
    char name[1024];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) {
            ThrowIfStrict(strict, result, "the subkeys of " + path);
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

// The key's values in the order it gives them.
std::vector<std::pair<std::string, RegistryData>> ValuesOf(HKEY key, const std::string& path,
                                                           bool strict) {
    std::vector<std::pair<std::string, RegistryData>> values;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name, type = 0, size = 0;
        LONG result = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) {
            ThrowIfStrict(strict, result, "the values of " + path);
            break;
        }
        RegistryData data{type, std::string(size, '\0')};
        nameLength = sizeof name;
        result = RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                               reinterpret_cast<BYTE*>(data.bytes.data()), &size);
        if (result == ERROR_SUCCESS)
            data.bytes.resize(size);
        else
            ThrowIfStrict(strict, result, "a value of " + path);
        values.emplace_back(std::string(name, nameLength), data);
    }
    return values;
}

std::vector<std::string> SplitStrings(const std::string& bytes) {
    std::vector<std::string> strings;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        if (end == start) break; // the empty string that closes the list
        strings.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return strings;
}

std::string UpToZero(const std::string& bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

void ListKey(HKEY key, const std::string& path, bool exact, std::vector<std::string>& lines) {
    std::string heading = robot::Cp932ToUtf8(path);
    lines.push_back(heading.insert(0, 1, '[') + ']');
    std::vector<std::pair<std::string, RegistryData>> values = ValuesOf(key, path, false);
    std::sort(values.begin(), values.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [name, data] : values)
        lines.push_back(
            "  " + (name.empty() ? std::string("(default)") : ShownText(name)) + " = " +
            DescribeData(data) +
            (exact ? " (" + std::to_string(data.bytes.size()) + " bytes " + ToHex(data.bytes) + ")"
                   : std::string()));
    std::vector<std::string> children = SubkeyNames(key, path, false);
    std::sort(children.begin(), children.end());
    for (const std::string& child : children) {
        ScopedKey sub;
        if (RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, sub.Put()) == ERROR_SUCCESS)
            ListKey(sub.Get(), path + "\\" + child, exact, lines);
    }
}

void ReadKey(HKEY key, const std::string& path, std::vector<KeyRecord>& tree) {
    tree.push_back({path, ValuesOf(key, path, true)});
    for (const std::string& child : SubkeyNames(key, path, true)) {
        ScopedKey sub;
        LONG result = RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, sub.Put());
        if (result != ERROR_SUCCESS) ThrowIfStrict(true, result, path + "\\" + child);
        ReadKey(sub.Get(), path + "\\" + child, tree);
    }
}

bool SameValues(const std::vector<std::pair<std::string, RegistryData>>& a,
                const std::vector<std::pair<std::string, RegistryData>>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].first != b[i].first || a[i].second.type != b[i].second.type ||
            a[i].second.bytes != b[i].second.bytes)
            return false;
    return true;
}

// Makes the key and gives it exactly `record`'s values, in their order.
void WriteKeyRecord(HKEY root, const KeyRecord& record,
                    const std::vector<std::pair<std::string, RegistryData>>& now) {
    std::string shown = RootName(root) + "\\" + robot::Cp932ToUtf8(record.path);
    ScopedKey key;
    LONG result = RegCreateKeyExA(root, record.path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                  nullptr, key.Put(), nullptr);
    if (result != ERROR_SUCCESS)
        throw MachineError("cannot make the key " + shown + ErrorSuffix(result));
    for (const auto& value : now) {
        result = RegDeleteValueA(key.Get(), value.first.c_str());
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
            throw MachineError("cannot remove the value " + ShownText(value.first) + " of " +
                               shown + ErrorSuffix(result));
    }
    for (const auto& [name, data] : record.values) {
        result = RegSetValueExA(key.Get(), name.c_str(), 0, data.type,
                                reinterpret_cast<const BYTE*>(data.bytes.data()),
                                static_cast<DWORD>(data.bytes.size()));
        if (result != ERROR_SUCCESS)
            throw MachineError("cannot write the value " + ShownText(name) + " of " + shown +
                               ErrorSuffix(result));
    }
}

} // namespace

void RemoveKeyTree(const std::string& key) {
    LONG result = tree_removal::DeleteKeyTree(HKEY_CURRENT_USER, key);
    if (result != ERROR_SUCCESS)
        throw MachineError("cannot remove the registry key HKEY_CURRENT_USER\\" +
                           robot::Cp932ToUtf8(key) + ErrorSuffix(result));
}

void WriteRegistryEntry(const RegistryEntry& entry) {
    ScopedKey key;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, entry.key.c_str(), 0, nullptr, 0,
                                  KEY_READ | KEY_WRITE, nullptr, key.Put(), nullptr);
    if (result != ERROR_SUCCESS)
        throw MachineError(entry.field + ": cannot create the key " +
                           robot::Cp932ToUtf8(entry.key) + ErrorSuffix(result));
    if (!entry.valueName) return;
    result = RegSetValueExA(key.Get(), entry.valueName->c_str(), 0, entry.data.type,
                            reinterpret_cast<const BYTE*>(entry.data.bytes.data()),
                            static_cast<DWORD>(entry.data.bytes.size()));
    if (result != ERROR_SUCCESS)
        throw MachineError(entry.field + ": cannot write the value " + ShownText(*entry.valueName) +
                           ErrorSuffix(result));
}

bool KeyExists(const std::string& path) {
    ScopedKey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

ValueState ReadValue(const std::string& path, const std::string& valueName) {
    ValueState state;
    ScopedKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return state;
    state.keyExists = true;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return state;
    state.valueExists = true;
    state.data.type = type;
    state.data.bytes.assign(size, '\0');
    if (RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(state.data.bytes.data()), &size) == ERROR_SUCCESS)
        state.data.bytes.resize(size);
    return state;
}

std::string DescribeData(const RegistryData& data) {
    const char* name = RegistryTypeName(data.type);
    std::string type = name ? name : "type " + std::to_string(data.type);
    switch (data.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return type + " " + ShownText(UpToZero(data.bytes));
    case REG_DWORD:
        if (data.bytes.size() == 4) {
            std::uint32_t number = 0;
            for (int i = 3; i >= 0; --i)
                number = (number << 8) | static_cast<unsigned char>(data.bytes[i]);
            char hex[16];
            wsprintfA(hex, "0x%08X", number);
            return type + " " + std::to_string(number) + " (" + hex + ")";
        }
        break;
    case REG_MULTI_SZ: {
        std::string list;
        for (const std::string& item : SplitStrings(data.bytes))
            list += (list.empty() ? "" : ", ") + ShownText(item);
        return type + " [" + list + "]";
    }
    }
    return type + " hex \"" + ToHex(data.bytes) + "\"";
}

bool SameData(const RegistryData& expected, const RegistryData& actual) {
    if (expected.type != actual.type) return false;
    switch (expected.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return UpToZero(expected.bytes) == UpToZero(actual.bytes);
    case REG_MULTI_SZ:
        return SplitStrings(expected.bytes) == SplitStrings(actual.bytes);
    default:
        return expected.bytes == actual.bytes;
    }
}

std::string RootName(HKEY root) {
    return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::vector<KeyRecord> ReadKeyTree(HKEY root, const std::string& path) {
    std::vector<KeyRecord> tree;
    ScopedKey key;
    LONG result = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Put());
    if (result == ERROR_FILE_NOT_FOUND) return tree;
    if (result != ERROR_SUCCESS) ThrowIfStrict(true, result, RootName(root) + "\\" + path);
    ReadKey(key.Get(), path, tree);
    return tree;
}

bool MakeKeyTreeHold(HKEY root, const std::string& path, const std::vector<KeyRecord>& tree) {
    std::vector<KeyRecord> now = ReadKeyTree(root, path);
    // Names as written, case too: a key that differs only in case is made
    // anew, so that regedit shows it as it was.
    auto find = [](const std::vector<KeyRecord>& in, const std::string& keyPath) {
        return std::find_if(in.begin(), in.end(),
                            [&](const KeyRecord& record) { return record.path == keyPath; });
    };
    bool changed = false;
    // The keys it lacks, each with what is below it; a key below one already
    // removed counts as removed.
    for (const KeyRecord& record : now) {
        if (find(tree, record.path) != tree.end()) continue;
        LONG result = tree_removal::DeleteKeyTree(root, record.path);
        if (result != ERROR_SUCCESS)
            throw MachineError("cannot remove the registry key " + RootName(root) + "\\" +
                               robot::Cp932ToUtf8(record.path) + ErrorSuffix(result));
        changed = true;
    }
    for (const KeyRecord& record : tree) {
        auto current = find(now, record.path);
        if (current != now.end() && SameValues(current->values, record.values)) continue;
        WriteKeyRecord(root, record,
                       current == now.end() ? decltype(record.values){} : current->values);
        changed = true;
    }
    return changed;
}

std::vector<std::string> ListTree(const std::string& path, bool exact) {
    std::vector<std::string> lines;
    ScopedKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return {"(absent)"};
    ListKey(key.Get(), path, exact, lines);
    return lines;
}

} // namespace vorn::runner
