#pragma once
// The library's identities as Guids, its events, and the type library
// MDCaptLib 4.1 it carries, built from these and the property table.
#include "captionctl/MDCaptIds.h"
#include "platform/com/Guid.h"
#include "platform/com/TypeLib.h"

namespace tqen::captionctl {

inline const com::Guid CLSID_MDCaption = com::Guid::fromString(QString::fromLatin1(kControlClsid));
inline const com::Guid IID_DMDCapt = com::Guid::fromString(QString::fromLatin1(kDispatchIid));
inline const com::Guid IID_DMDCaptEvents = com::Guid::fromString(QString::fromLatin1(kEventsIid));
inline const com::Guid LIBID_MDCaptLib = com::Guid::fromString(QString::fromLatin1(kTypeLibId));
inline const com::Guid CLSID_MDCaptPropPage = com::Guid::fromString(QString::fromLatin1(kPageClsid));

// The name of one of the control's events ("Click"); empty when none.
const char *eventName(int dispid);

const com::TypeLibrary &mdcaptTypeLibrary();
// The same as JSON text, as the library's export hands it out.
const char *mdcaptTypeLibraryText();

}  // namespace tqen::captionctl
