// Points every owner's message archive at the rewritten face name.
#include "app/client_location.h"
#include "app/client_paths.h"
#include "app/face_name.h"
#include "app/messages.h"
#include "app/run_steps.h"
#include "host/dialogs.h"
#include "host/registry.h"
#include "host/string_list.h"

namespace vorn {

namespace {
// Sets one owner's archive font; false when it could not be set.
bool SetOwnerArchiveFont(const String& owner) {
    TRegistry registry;
    if (!registry.OpenExisting(client::kOwnersKey)) return false;
    try {
        // Never created: an owner without an archive key keeps having none.
        if (!registry.OpenExisting(owner + client::kArchiveKey)) return false;
        registry.WriteText(client::kArchiveFontValue, SansSerifRule.replacement);
        registry.CloseCurrent();
    } catch (...) { // each owner is a guarded unit: running out of memory counts too
        return false;
    }
    return true;
}
} // namespace

bool SetArchiveFonts() {
    TStringList owners;
    try {
        if (ListOwners(owners)) {
            bool allSet = true;
            for (std::int32_t i = 0; i < owners.Count(); ++i) {
                if (SetOwnerArchiveFont(owners.Get(i))) continue;
                Inform(MsgArchiveFontNeverSet);
                allSet = false;
            }
            return allSet;
        }
    } catch (...) {
        // Any failure while going through the owners, running out of memory
        // included, counts as no account.
    }
    Inform(MsgNoAccount);
    return false;
}

} // namespace vorn
