#pragma once
// The type library MDCaptLib 4.1 carried by the control library.
#include "platform/com/TypeLib.h"

namespace tqen::captionctl {

const com::TypeLibrary &mdcaptTypeLibrary();
// The same as JSON text, as the library's export hands it out.
const char *mdcaptTypeLibraryText();

}  // namespace tqen::captionctl
