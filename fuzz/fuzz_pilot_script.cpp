// libFuzzer entry: the pilot script reader, and a short flight of what it accepts.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "harness.h"

// Each flight loads and unloads the module, whose coverage counters libFuzzer
// keeps reading: pinned once here, the library stays mapped between inputs.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!dlopen(VANTOREL_BUILD_DIR "/lib/Vantorel.so", RTLD_NOW | RTLD_NODELETE)) {
        std::fprintf(stderr, "pilot_script: %s\n", dlerror());
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = vantorel_fuzz::RunPilotScript(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "pilot_script: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
