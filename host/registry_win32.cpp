// Implements host/registry.h on the ANSI registry API (advapi32).
#include "host/registry.h"
#include "host/host_texts.h"

#include "host/system_facts.h"

#include <cstring>
#include <vector>
#include <windows.h>

namespace vorn {

namespace {
HKEY AsKey(void* key) {
    return static_cast<HKEY>(key);
}
} // namespace

TRegistry::TRegistry() : baseRoot_(HKEY_CURRENT_USER) {}

TRegistry::~TRegistry() {
    CloseCurrent();
}

bool TRegistry::OpenExisting(const String& path) {
    String p = path;
    const bool absolute = !p.empty() && p[0] == '\\';
    if (absolute) p.erase(0, 1);
    const bool fromActive = !absolute && activeKey_ != nullptr;
    const HKEY base = AsKey(fromActive ? activeKey_ : baseRoot_);

    HKEY opened = nullptr;
    if (RegOpenKeyExA(base, p.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS &&
        RegOpenKeyExA(base, p.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;

    String newPath = fromActive ? activePath_ + "\\" + p : p;
    // The old key served as the base of the open above, so it goes only now.
    CloseCurrent();
    activeKey_ = opened;
    activePath_ = std::move(newPath);
    return true;
}

String TRegistry::ReadText(const String& name) {
    if (activeKey_ == nullptr) return String();
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(AsKey(activeKey_), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        size == 0)
        return String();

    // `size` bytes for the platform and one zero of our own, so that data
    // stored without a terminator still ends inside the buffer.
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(AsKey(activeKey_), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &got) != ERROR_SUCCESS)
        Raise(ERegistryException(FillIn(MsgRegistryReadFailed, name)));
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        Raise(ERegistryException(FillIn(MsgRegistryWrongType, name)));
    return String(buffer.data(), strnlen(buffer.data(), size));
}

bool TRegistry::HasValue(const String& name) {
    if (activeKey_ == nullptr) return false;
    DWORD type = 0;
    DWORD size = 0;
    return RegQueryValueExA(AsKey(activeKey_), name.c_str(), nullptr, &type, nullptr, &size) ==
           ERROR_SUCCESS;
}

std::int32_t TRegistry::ValueType(const String& name) {
    if (activeKey_ == nullptr) return kNoValueType;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(AsKey(activeKey_), name.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return kNoValueType;
    return static_cast<std::int32_t>(type);
}

void TRegistry::ListSubkeys(TStringList& list) {
    list.Clear();
    if (activeKey_ == nullptr) return;
    DWORD count = 0, longest = 0, values = 0, longestValue = 0, longestData = 0;
    FILETIME written;
    if (RegQueryInfoKeyA(AsKey(activeKey_), nullptr, nullptr, nullptr, &count, &longest, nullptr,
                         &values, &longestValue, &longestData, nullptr, &written) != ERROR_SUCCESS)
        return;
    const SystemFacts& facts = GetSystemFacts();
    const HKEY key = AsKey(activeKey_);
    CollectSubkeyNames(list, count, longest, facts.DbcsEnabled && facts.NtPlatform,
                       [key](std::uint32_t index, char* buffer, std::uint32_t& length) {
                           DWORD inOut = length;
                           const LONG result = RegEnumKeyExA(key, index, buffer, &inOut, nullptr,
                                                             nullptr, nullptr, nullptr);
                           length = inOut;
                           return static_cast<long>(result);
                       });
}

void TRegistry::WriteText(const String& name, const String& text) {
    // The null handle is refused here as the platform would refuse it.
    if (activeKey_ == nullptr ||
        RegSetValueExA(AsKey(activeKey_), name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
        Raise(ERegistryException(FillIn(MsgRegistryWriteFailed, name)));
}

void TRegistry::CloseCurrent() {
    if (activeKey_ == nullptr) return;
    RegCloseKey(AsKey(activeKey_));
    activeKey_ = nullptr;
    activePath_.clear();
}

} // namespace vorn
