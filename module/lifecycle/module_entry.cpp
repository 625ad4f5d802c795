// What makes the library a vessel module: the DLL entry and the three
// exported C functions the host calls.
#include <new>

#include <Orbitersdk.h>

#include "lifecycle/module_entry.h"
#include "lifecycle/vantorel_vessel.h"
#include "lifecycle/vessel_state.h"

using vantorel::shared_state;
using vantorel::VantorelVessel;

namespace {

// The SDK version date this module was built against: a constant, not the build date.
char sdk_version_date[] = "Apr 25 2006";

}  // namespace

BOOL WINAPI DllMain(HINSTANCE hModule, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
        case DLL_PROCESS_ATTACH: {
            InitLib(hModule);
            FARPROC hook = GetProcAddress(hModule, "ExitModule");
            if (!hook) hook = GetProcAddress(hModule, "opcDLLExit");
            shared_state.module_exit_hook = reinterpret_cast<void (*)(HINSTANCE)>(reinterpret_cast<void (*)()>(hook));
            break;
        }
        case DLL_PROCESS_DETACH:
            if (shared_state.module_exit_hook) shared_state.module_exit_hook(hModule);
            break;
        default:
            break;
    }
    return TRUE;
}

DLLCLBK int GetModuleVersion() {
    if (shared_state.module_version == 0) shared_state.module_version = Date2Int(sdk_version_date);
    return shared_state.module_version;
}

DLLCLBK VESSEL* ovcInit(OBJHANDLE hvessel, int flightmodel) {
    VantorelVessel* vessel = new (std::nothrow) VantorelVessel(hvessel, flightmodel);
    return vessel;
}

DLLCLBK void ovcExit(VESSEL* vessel) {
    if (!vessel) return;
    // The host holds the VESSEL part; VESSEL2 has no virtual destructor, so
    // deletion goes through the full type.
    delete static_cast<VantorelVessel*>(static_cast<VESSEL2*>(vessel));
}
