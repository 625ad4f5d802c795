// VESSEL members a module calls to define its class: identity, size and
// mass, drag and moment coefficients, camera and touchdown points. Each acts
// on the runtime's record of the vessel and records itself when the recorder
// is on; a dead vessel's calls change nothing.
#include "src/runtime_impl.h"

using host::VesselState;
namespace trace = host::trace;

// ---------------------------------------------------------------------------
// Construction, identity
// ---------------------------------------------------------------------------

VESSEL::VESSEL(OBJHANDLE hVessel_, int fmodel) : version(1), hVessel(hVessel_), flightmodel(fmodel) {}

OBJHANDLE VESSEL::GetHandle() const {
    if (trace::active()) [[unlikely]]
        trace::Call("GetHandle").result().handle(hVessel).end();
    return hVessel;
}

int VESSEL::GetFlightModel() const {
    VesselState* v = host::detail::vessel_of(hVessel);
    int r = v != nullptr ? v->flight_model : flightmodel;
    if (trace::active()) [[unlikely]]
        trace::Call("GetFlightModel").result().integer(r).end();
    return r;
}

// ---------------------------------------------------------------------------
// Definition setters
// ---------------------------------------------------------------------------

void VESSEL::SetSize(double size) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->size_m = size;
    if (trace::active()) [[unlikely]]
        trace::Call("SetSize").num(size).end();
}

void VESSEL::SetEmptyMass(double m) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->empty_mass_kg = m;
    if (trace::active()) [[unlikely]]
        trace::Call("SetEmptyMass").num(m).end();
}

void VESSEL::SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        v->cw[0] = cw_z_pos;
        v->cw[1] = cw_z_neg;
        v->cw[2] = cw_x;
        v->cw[3] = cw_y;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetCW").num(cw_z_pos).num(cw_z_neg).num(cw_x).num(cw_y).end();
}

void VESSEL::SetWingAspect(double aspect) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->wing_aspect = aspect;
    if (trace::active()) [[unlikely]]
        trace::Call("SetWingAspect").num(aspect).end();
}

void VESSEL::SetWingEffectiveness(double eff) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->wing_effectiveness = eff;
    if (trace::active()) [[unlikely]]
        trace::Call("SetWingEffectiveness").num(eff).end();
}

void VESSEL::SetCrossSections(const VECTOR3& cs) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->cross_sections_m2 = cs;
    if (trace::active()) [[unlikely]]
        trace::Call("SetCrossSections").vec(cs).end();
}

void VESSEL::SetRotDrag(const VECTOR3& rd) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->rot_drag = rd;
    if (trace::active()) [[unlikely]]
        trace::Call("SetRotDrag").vec(rd).end();
}

void VESSEL::SetPitchMomentScale(double scale) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        v->pitch_moment_scale = scale;
        v->pitch_moment_scale_set = true;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetPitchMomentScale").num(scale).end();
}

void VESSEL::SetBankMomentScale(double scale) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        v->bank_moment_scale = scale;
        v->bank_moment_scale_set = true;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetBankMomentScale").num(scale).end();
}

void VESSEL::SetPMI(const VECTOR3& pmi) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->pmi_m2 = pmi;
    if (trace::active()) [[unlikely]]
        trace::Call("SetPMI").vec(pmi).end();
}

void VESSEL::SetTrimScale(double scale) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->trim_scale = scale;
    if (trace::active()) [[unlikely]]
        trace::Call("SetTrimScale").num(scale).end();
}

void VESSEL::SetCameraOffset(const VECTOR3& co) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->camera_offset_m = co;
    if (trace::active()) [[unlikely]]
        trace::Call("SetCameraOffset").vec(co).end();
}

void VESSEL::SetCameraDefaultDirection(const VECTOR3& cd) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->camera_default_dir = cd;
    if (trace::active()) [[unlikely]]
        trace::Call("SetCameraDefaultDirection").vec(cd).end();
}

void VESSEL::SetCameraRotationRange(double left, double right, double up, double down) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        v->camera_range_rad[0] = left;
        v->camera_range_rad[1] = right;
        v->camera_range_rad[2] = up;
        v->camera_range_rad[3] = down;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetCameraRotationRange").num(left).num(right).num(up).num(down).end();
}

void VESSEL::SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        v->touchdown_m[0] = pt1;
        v->touchdown_m[1] = pt2;
        v->touchdown_m[2] = pt3;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetTouchdownPoints").vec(pt1).vec(pt2).vec(pt3).end();
}
