// Implements app/client_location.h.
#include "app/client_location.h"

#include "app/client_paths.h"
#include "host/registry.h"

namespace vorn {

bool FindClientDir(String& clientDir) {
    TRegistry registry;
    if (!registry.OpenExisting(client::kDefaultPrefsKey)) return false;
    clientDir = registry.ReadText(client::kInstallPathValue);
    return true;
}

String ChooseTargetFile() {
    TRegistry registry;
    // A prefs key that fails to open simply has no "99b Database".
    registry.OpenExisting(client::kDefaultPrefsKey);
    return registry.HasValue(client::kNewDatabaseValue) ? client::kCoreFile : client::kProgramFile;
}

} // namespace vorn
