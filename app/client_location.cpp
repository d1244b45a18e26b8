// Implements app/client_location.h.
#include "app/client_location.h"

#include "app/client_paths.h"
#include "host/registry.h"

namespace vorn {

std::optional<ClientLocation> LocateClient() {
    TRegistry registry;
    if (!registry.OpenExisting(client::kDefaultPrefsKey)) return std::nullopt;
    ClientLocation location;
    location.folder = registry.ReadText(client::kInstallPathValue);
    location.targetFile =
        registry.HasValue(client::kNewDatabaseValue) ? client::kCoreFile : client::kProgramFile;
    return location;
}

bool ListOwners(TStringList& owners) {
    TRegistry registry;
    if (!registry.OpenExisting(client::kOwnersKey)) return false;
    registry.ListSubkeys(owners);
    registry.CloseCurrent();
    return true;
}

} // namespace vorn
