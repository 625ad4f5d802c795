// The Windows-kernel functions a module uses to find the sound library and
// its entries, on the host's library loader. A Windows build uses the real
// ones and leaves this file out.
#include "src/platform.h"
#include "src/runtime_impl.h"

namespace trace = host::trace;

HMODULE GetModuleHandleA(LPCSTR module_name) {
    // Only a library already in the process is found, and the caller owns
    // no reference to it, as with the Windows function.
    auto* r = static_cast<HMODULE>(host::platform::loaded_library(module_name));
    if (trace::active()) [[unlikely]]
        trace::Call("GetModuleHandleA").text(module_name).result().module(r).end();
    return r;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name) {
    void* sym = host::platform::own_symbol(module, proc_name);
    auto r = reinterpret_cast<FARPROC>(sym);
    if (trace::active()) [[unlikely]] {
        trace::Call c("GetProcAddress");
        c.module(module).text(proc_name).result();
        if (r != nullptr) {
            c.prefixed("proc:", proc_name);
        } else {
            c.null();
        }
        c.end();
    }
    return r;
}
