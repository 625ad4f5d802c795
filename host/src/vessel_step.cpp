// VESSEL members a module calls every step: the readings the host reports
// and the actions the module takes (thrust limits, control-surface levels,
// fuel, forces). None of them allocates once the vessel is defined, except
// AddForce beyond the room a frame reserves.
#include "src/runtime_impl.h"

using host::VesselState;
using host::detail::Kind;
namespace trace = host::trace;

namespace {

bool valid_ctrl_type(int type) { return type >= 0 && type < 6; }

}  // namespace

// ---------------------------------------------------------------------------
// Readings
// ---------------------------------------------------------------------------

double VESSEL::GetAirspeed() const {
    VesselState* v = host::detail::vessel_of(hVessel);
    double r = v != nullptr ? v->airspeed_mps : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetAirspeed").result().num(r).end();
    return r;
}

double VESSEL::GetAltitude() const {
    VesselState* v = host::detail::vessel_of(hVessel);
    double r = v != nullptr ? v->altitude_m : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetAltitude").result().num(r).end();
    return r;
}

double VESSEL::GetAOA() const {
    VesselState* v = host::detail::vessel_of(hVessel);
    double r = v != nullptr ? v->aoa_rad : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetAOA").result().num(r).end();
    return r;
}

double VESSEL::GetBank() const {
    VesselState* v = host::detail::vessel_of(hVessel);
    double r = v != nullptr ? v->bank_rad : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetBank").result().num(r).end();
    return r;
}

bool VESSEL::GroundContact() const {
    VesselState* v = host::detail::vessel_of(hVessel);
    bool r = v != nullptr && v->ground_contact;
    if (trace::active()) [[unlikely]]
        trace::Call("GroundContact").result().boolean(r).end();
    return r;
}

double VESSEL::GetThrusterLevel(THRUSTER_HANDLE th) const {
    std::uint32_t n = 0;
    double r = 0.0;
    if (VesselState* v = host::detail::owner(th, Kind::thruster, n)) {
        if (n < v->thrusters.size()) r = v->thrusters[n].level;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("GetThrusterLevel").handle(th).result().num(r).end();
    return r;
}

double VESSEL::GetControlSurfaceLevel(AIRCTRL_TYPE type) const {
    VesselState* v = host::detail::vessel_of(hVessel);
    double r = v != nullptr && valid_ctrl_type(type) ? v->ctrl_level[type] : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetControlSurfaceLevel").integer(type).result().num(r).end();
    return r;
}

double VESSEL::GetFuelMass() const {
    VesselState* v = host::detail::vessel_of(hVessel);
    double r = v != nullptr && !v->propellants.empty() ? v->propellants[0].mass_kg : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetFuelMass").result().num(r).end();
    return r;
}

// ---------------------------------------------------------------------------
// Actions
// ---------------------------------------------------------------------------

void VESSEL::SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const {
    std::uint32_t n = 0;
    if (VesselState* v = host::detail::owner(th, Kind::thruster, n)) {
        if (n < v->thrusters.size()) v->thrusters[n].max_thrust0_n = maxth0;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetThrusterMax0").handle(th).num(maxth0).end();
}

void VESSEL::SetControlSurfaceLevel(AIRCTRL_TYPE type, double level) const {
    VesselState* v = host::detail::vessel_of(hVessel);
    if (v != nullptr && valid_ctrl_type(type)) v->ctrl_level[type] = level;
    if (trace::active()) [[unlikely]]
        trace::Call("SetControlSurfaceLevel").integer(type).num(level).end();
}

void VESSEL::SetFuelMass(double m) const {
    VesselState* v = host::detail::vessel_of(hVessel);
    if (v != nullptr && !v->propellants.empty()) v->propellants[0].mass_kg = m;
    if (trace::active()) [[unlikely]]
        trace::Call("SetFuelMass").num(m).end();
}

void VESSEL::AddForce(const VECTOR3& F, const VECTOR3& r) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->forces.push_back(host::ForceRec{F, r});
    if (trace::active()) [[unlikely]]
        trace::Call("AddForce").vec(F).vec(r).end();
}
