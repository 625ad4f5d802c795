// The host's own plain functions: induced drag and the SDK date.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <utility>

#include <gtest/gtest.h>

#include "host_test_util.h"
#include "scratch_dir.h"

namespace {

using host::HostError;
using host::Runtime;
using host_test::error_of;
using host_test::module_fn;
using host_test::RuntimeTest;

TEST(InducedDrag, UsesTheHostPi) {
    struct Case {
        double cl, a, e;
    } cases[] = {{0.5, 2.266, 0.9}, {-1.0, 1.5, 1.0}, {0.0, 3.0, 0.7}};
    for (const Case& c : cases) {
        EXPECT_EQ(oapiGetInducedDrag(c.cl, c.a, c.e), c.cl * c.cl / (PI * c.a * c.e));
    }
}

TEST(Date2IntParse, YyMmDdOrZero) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"Apr 25 2006", 6 * 10000 + 4 * 100 + 25},
        {"Jan 1 2000", 101},
        {"Dec 31 1999", 99 * 10000 + 12 * 100 + 31},
        {"Foo 25 2006", 0},
        {"Apr 2006", 0},
        {"Apr 25 2006 extra", 0},
        {"Apr 32 2006", 0},
        {"", 0},
        {nullptr, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(host::parse_date(c.text), c.expected) << (c.text ? c.text : "null");
}

TEST_F(RuntimeTest, Date2IntOverrideReachesTheModule) {
    rt.set_date2int_override(0);
    rt.load_module(HOST_TEST_MODULE);
    EXPECT_EQ(rt.module_version(), 0);
}

}  // namespace
