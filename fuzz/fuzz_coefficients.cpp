// libFuzzer entry: the airfoil coefficient functions.
#include <cstdio>
#include <cstdlib>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = vantorel_fuzz::RunCoefficients(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "coefficients: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
