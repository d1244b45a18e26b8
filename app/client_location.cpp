// Implements app/client_location.h.
#include "app/client_location.h"

#include "app/client_paths.h"
#include "host/files.h"
#include "host/registry.h"

namespace vorn {

std::optional<ClientLocation> LocateClient() {
    TRegistry registry;
    if (!registry.OpenExisting(client::kDefaultPrefsKey)) return std::nullopt;
    ClientLocation location;
    location.ClientDir = registry.ReadText(client::kInstallPathValue);
    location.TargetFile =
        registry.HasValue(client::kNewDatabaseValue) ? client::kCoreFile : client::kProgramFile;
    return location;
}

String FindWindowsDir() {
    return WindowsFolder();
}

bool ListOwners(TStringList& owners) {
    TRegistry registry;
    if (!registry.OpenExisting(client::kOwnersKey)) return false;
    registry.ListSubkeys(owners);
    registry.CloseCurrent();
    return true;
}

} // namespace vorn
