// libFuzzer entry: the replay script reader, and a run of what it accepts.
#include <cstdio>
#include <cstdlib>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = vantorel_fuzz::RunReplayScript(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "replay_script: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
