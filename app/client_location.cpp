// Implements app/client_location.h.
#include "app/client_location.h"

#include "app/client_paths.h"
#include "host/registry.h"

namespace vorn {

bool FindClientDir(String& clientDir) {
    TRegistry registry;
    if (!registry.OpenExisting(client::DefaultPrefsKey)) return false;
    clientDir = registry.ReadText(client::InstallPathValue);
    return true;
}

String ChooseTargetFile() {
    TRegistry registry;
    // A prefs key that fails to open simply has no "99b Database".
    registry.OpenExisting(client::DefaultPrefsKey);
    return registry.HasValue(client::NewDatabaseValue) ? client::CoreFile : client::ProgramFile;
}

} // namespace vorn
