// What the host reports to the module between frames: flight readings,
// thruster and control-surface levels, propellant masses, and the host
// settings in force (time acceleration, camera, focus, flight model).
#include "src/runtime_impl.h"

namespace host {

namespace {

void check_ctrl_type(AIRCTRL_TYPE type) {
    if (type < 0 || type > 5) [[unlikely]]
        throw HostError("set_control_surface_level: type " + std::to_string(type) + " is not 0..5");
}

}  // namespace

// For every living vessel, or for one by index.
#define VANTOREL_READING(name, type, field)                                  \
    void Runtime::name(type value) {                                         \
        impl_->require_outside_callback(#name);                              \
        for (auto& v : impl_->vessels) {                                     \
            if (v->alive) v->field = value;                                  \
        }                                                                    \
    }                                                                        \
    void Runtime::name(int index, type value) {                              \
        impl_->require_outside_callback(#name);                              \
        impl_->living_or_throw(#name, index).field = value;                  \
    }

VANTOREL_READING(set_airspeed_mps, double, airspeed_mps)
VANTOREL_READING(set_altitude_m, double, altitude_m)
VANTOREL_READING(set_aoa_rad, double, aoa_rad)
VANTOREL_READING(set_bank_rad, double, bank_rad)
VANTOREL_READING(set_ground_contact, bool, ground_contact)

#undef VANTOREL_READING

void Runtime::set_thruster_level(double level) {
    impl_->require_outside_callback("set_thruster_level");
    for (auto& v : impl_->vessels) {
        if (!v->alive) continue;
        for (auto& t : v->thrusters) t.level = level;
    }
}

void Runtime::set_thruster_level(int index, std::size_t thruster, double level) {
    impl_->require_outside_callback("set_thruster_level");
    VesselState& v = impl_->living_or_throw("set_thruster_level", index);
    if (thruster >= v.thrusters.size()) [[unlikely]] {
        throw HostError("set_thruster_level(" + std::to_string(index) + ", " + std::to_string(thruster) +
                        "): the vessel has " + std::to_string(v.thrusters.size()) + " thruster(s)");
    }
    v.thrusters[thruster].level = level;
}

void Runtime::set_control_surface_level(AIRCTRL_TYPE type, double level) {
    impl_->require_outside_callback("set_control_surface_level");
    check_ctrl_type(type);
    for (auto& v : impl_->vessels) {
        if (v->alive) v->ctrl_level[type] = level;
    }
}

void Runtime::set_control_surface_level(int index, AIRCTRL_TYPE type, double level) {
    impl_->require_outside_callback("set_control_surface_level");
    check_ctrl_type(type);
    impl_->living_or_throw("set_control_surface_level", index).ctrl_level[type] = level;
}

void Runtime::set_fuel_mass_kg(double fuel_kg) {
    impl_->require_outside_callback("set_fuel_mass_kg");
    for (auto& v : impl_->vessels) {
        if (v->alive && !v->propellants.empty()) v->propellants[0].mass_kg = fuel_kg;
    }
}

void Runtime::set_fuel_mass_kg(int index, double fuel_kg) {
    impl_->require_outside_callback("set_fuel_mass_kg");
    VesselState& v = impl_->living_or_throw("set_fuel_mass_kg", index);
    if (v.propellants.empty()) [[unlikely]] {
        throw HostError("set_fuel_mass_kg(" + std::to_string(index) + "): the vessel has no propellant resource");
    }
    v.propellants[0].mass_kg = fuel_kg;
}

void Runtime::set_propellant_mass_kg(int index, std::size_t propellant, double mass_kg) {
    impl_->require_outside_callback("set_propellant_mass_kg");
    VesselState& v = impl_->living_or_throw("set_propellant_mass_kg", index);
    if (propellant >= v.propellants.size()) [[unlikely]] {
        throw HostError("set_propellant_mass_kg(" + std::to_string(index) + ", " + std::to_string(propellant) +
                        "): the vessel has " + std::to_string(v.propellants.size()) + " propellant resource(s)");
    }
    v.propellants[propellant].mass_kg = mass_kg;
}

void Runtime::set_time_acceleration(double factor) {
    impl_->require_outside_callback("set_time_acceleration");
    impl_->time_acc = factor;
    impl_->time_acc_pending = false;
}

double Runtime::time_acceleration() const { return impl_->time_acc; }

double Runtime::next_time_acceleration() const {
    return impl_->time_acc_pending ? impl_->time_acc_request : impl_->time_acc;
}

void Runtime::set_camera_internal(bool internal) {
    impl_->require_outside_callback("set_camera_internal");
    impl_->camera_internal = internal;
}

void Runtime::set_focus_heading_rad(std::optional<double> heading_rad) {
    impl_->require_outside_callback("set_focus_heading_rad");
    impl_->has_focus_heading = heading_rad.has_value();
    impl_->focus_heading_rad = heading_rad.value_or(0.0);
}

void Runtime::set_focus(int index) {
    impl_->require_outside_callback("set_focus");
    impl_->living_or_throw("set_focus", index);
    impl_->focus = index;
}

int Runtime::focus() const { return impl_->focus; }

void Runtime::set_flight_model(int level) {
    impl_->require_outside_callback("set_flight_model");
    impl_->flight_model = level;
    for (auto& v : impl_->vessels) {
        if (v->alive) v->flight_model = level;
    }
}

}  // namespace host
