// The C entry points the host finds in the module by name. The DLL entry
// itself is declared by windows.h.
#ifndef VANTOREL_MODULE_MODULE_ENTRY_H
#define VANTOREL_MODULE_MODULE_ENTRY_H

#include <Orbitersdk.h>

// The module's version: the host's integer for the SDK date it was built against.
DLLCLBK int GetModuleVersion();
// A new vessel of the class, or null when it cannot be allocated.
DLLCLBK VESSEL* ovcInit(OBJHANDLE hvessel, int flightmodel);
// Destroys a vessel ovcInit made; null is allowed.
DLLCLBK void ovcExit(VESSEL* vessel);

#endif
