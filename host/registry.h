// TRegistry: one open key below HKEY_CURRENT_USER at a time, over the ANSI
// registry API. Implemented in registry_win32.cpp.
//
// Ownership: the object owns its open key handle and closes it when it opens
// another key, on CloseCurrent() and on destruction. The root is never closed.
//
// What fails how:
//  - OpenExisting: false when the key cannot be opened for full or read access;
//    the object is then unchanged (the key open before stays open). Never raises.
//  - ReadText: "" for a missing value, size 0, or no open key. Raises
//    ERegistryException MsgRegistryWrongType for a non-string type and
//    MsgRegistryReadFailed when the data query fails.
//  - HasValue: never raises; false with no open key.
//  - ValueType: the platform's type number of a value of the open key
//    (kTextValueType for REG_SZ), kNoValueType when there is no such value or no
//    open key. Never raises.
//  - ListSubkeys: empties the list first; with no open key it stays empty.
//    Never raises. A failed enumeration step (the key changed after it was
//    counted, or a name longer than the buffer) adds nothing for that index:
//    the list then holds fewer than the counted names, never a stale or
//    truncated one. Names are read from a zeroed buffer of M + 1 bytes and
//    never beyond it.
//  - WriteText: raises ERegistryException MsgRegistryWriteFailed.
// In every message %s is the value name passed in.
#pragma once

#include "host/exceptions.h"
#include "host/string_list.h"
#include <functional>

namespace vorn {

// One RegEnumKeyExA step: fills at most `length` bytes of `buffer` with the
// name of subkey `index` and its terminating zero, sets `length` to the name's
// length; returns 0 on success.
using SubkeyEnumStep =
    std::function<long(std::uint32_t index, char* buffer, std::uint32_t& length)>;

// The enumeration loop of ListSubkeys, portable so that its bounds can be
// tested without a registry: `count` and `longest` as RegQueryInfoKeyA gave
// them, `doubleLongest` when the system is double-byte and NT (the ANSI name
// of a subkey may then take two bytes per counted character). Appends the
// names of the steps that succeed, in index order. Portable (subkey_names.cpp).
void CollectSubkeyNames(TStringList& list, std::uint32_t count, std::uint32_t longest,
                        bool doubleLongest, const SubkeyEnumStep& step);

constexpr std::int32_t kNoValueType = -1;
constexpr std::int32_t kTextValueType = 1; // REG_SZ

class TRegistry {
  public:
    TRegistry();
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    bool OpenExisting(const String& path);
    String ReadText(const String& name);
    bool HasValue(const String& name);
    std::int32_t ValueType(const String& name);
    void ListSubkeys(TStringList& list);
    void WriteText(const String& name, const String& text);
    void CloseCurrent();

    // Path of the open key below the root, without a leading backslash.
    const String& ActivePath() const { return activePath_; }
    bool HasOpenKey() const { return activeKey_ != nullptr; }

  private:
    void* activeKey_ = nullptr; // HKEY
    void* baseRoot_;            // HKEY_CURRENT_USER
    String activePath_;
};

} // namespace vorn
