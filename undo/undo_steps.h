// The steps of the undo, in the order UndoRun::Run() calls them after it has
// found the client (LocateClient, as the patch run finds it). Each takes what
// it reads; none keeps state.
#pragma once

#include "app/client_location.h"
#include "host/exceptions.h"

namespace vorn {

// The client's program file gets VORN.OLD's bytes back, but only when VORN.OLD
// is provably the backup the patch run took of this very file; VORN.OLD is
// deleted once the file reads back equal to it.
void RestoreProgramFile(const ClientLocation& client);
// Each owner's archive font, where the run set it and nobody changed it since.
void RestoreArchiveFonts();
void RemoveFontSubstitutes(const String& windowsDir);
// Asked only when a font is there; a font the system holds is said so.
void OfferFontRemoval(const String& windowsDir);

} // namespace vorn
