// The main of every GoogleTest binary: the process works in a scratch folder of
// its own, removed when it ends, so no test leaves a file in the folder ctest
// runs it from (the module writes its sound log into the current folder).
#include <gtest/gtest.h>

#include "scratch_dir.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const test_support::ScratchDir scratch("process");
    int status = 0;
    {
        const test_support::WorkingDirectory inside(scratch.path());
        status = RUN_ALL_TESTS();
    }
    return status;
}
