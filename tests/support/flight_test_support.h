// A runtime with the built module and one vessel, flown by the flight model.
#ifndef VANTOREL_TESTS_SIM_FLY_FLIGHT_TEST_SUPPORT_H
#define VANTOREL_TESTS_SIM_FLY_FLIGHT_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "flightmodel/flight_model.h"
#include "flightmodel/units.h"
#include "runtime/host_runtime.h"

namespace flight_test {

struct Aircraft {
    host::Runtime rt;
    int index = -1;
    host::flight::FlightModel* model = nullptr;

    Aircraft() {
        rt.load_module(std::string(VANTOREL_BUILD_DIR) + "/lib/Vantorel.so");
        index = rt.create_vessel();
        model_.emplace(rt, index);
        model = &*model_;
    }
    ~Aircraft() {
        model_.reset();
        rt.destroy_all_vessels();
    }
    Aircraft(const Aircraft&) = delete;
    Aircraft& operator=(const Aircraft&) = delete;

    const host::VesselState& vessel() const { return rt.vessel(index); }

    // Frames until the simulated clock has advanced by seconds.
    void Fly(double seconds) {
        const double end = model->sim_time_s() + seconds - 1e-9;
        while (model->sim_time_s() < end) model->RunFrame();
    }

private:
    std::optional<host::flight::FlightModel> model_;
};

inline bool Finite(const host::Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace flight_test

#endif
