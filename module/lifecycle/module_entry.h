// The C entry points the host finds in the module by name. The DLL entry
// itself is declared by the stand-in windows.h; on Windows it is declared
// here with C linkage, since a C++ name would hide it from the C runtime's
// startup wherever the compiler does not know the name.
#ifndef VANTOREL_MODULE_MODULE_ENTRY_H
#define VANTOREL_MODULE_MODULE_ENTRY_H

#include <Orbitersdk.h>

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
#endif

// The module's version: the host's integer for the SDK date it was built against.
DLLCLBK int GetModuleVersion();
// A new vessel of the class, or null when it cannot be allocated.
DLLCLBK VESSEL* ovcInit(OBJHANDLE hvessel, int flightmodel);
// Destroys a vessel ovcInit made; null is allowed.
DLLCLBK void ovcExit(VESSEL* vessel);

#endif
