// A module with nothing but the DLL entry, declared as the vessel module
// declares it: it reports each call to the program that loaded it. A DLL
// entry the C runtime's startup does not find (another name or linkage) is
// never called, and the program sees no report.
#include <Orbitersdk.h>

#include "lifecycle/module_entry.h"

namespace {

using Report = void (*)(unsigned long);

void report(DWORD reason) {
    FARPROC proc = GetProcAddress(GetModuleHandleA(nullptr), "vantorel_record_dll_entry");
    if (proc != nullptr) reinterpret_cast<Report>(reinterpret_cast<void (*)()>(proc))(reason);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH || reason == DLL_PROCESS_DETACH) report(reason);
    return TRUE;
}
