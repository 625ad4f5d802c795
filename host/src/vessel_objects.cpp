// VESSEL members that create the flight-model objects of a vessel: airfoils,
// control surfaces, drag elements, propellant resources, thrusters and their
// groups, beacons. A handle encodes the vessel and the object's place in its
// list, so one of a destroyed vessel decodes to a dead record.
#include "src/runtime_impl.h"

using host::VesselState;
using host::detail::g_rt;
using host::detail::Kind;
namespace trace = host::trace;

AIRFOILHANDLE VESSEL::CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3& ref, AirfoilCoeffFunc cf, double c,
                                    double S, double A) const {
    AIRFOILHANDLE h = nullptr;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        h = host::detail::handle_for(Kind::airfoil, *v, v->airfoils.size());
        v->airfoils.push_back(host::AirfoilRec{align, ref, cf, c, S, A});
        if (cf != nullptr) g_rt->coeff_index(cf);
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateAirfoil")
            .integer(align)
            .vec(ref)
            .coeff(cf)
            .num(c)
            .num(S)
            .num(A)
            .result()
            .handle(h)
            .end();
    return h;
}

CTRLSURFHANDLE VESSEL::CreateControlSurface(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3& ref, int axis,
                                            UINT anim) const {
    CTRLSURFHANDLE h = nullptr;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        h = host::detail::handle_for(Kind::ctrlsurf, *v, v->control_surfaces.size());
        v->control_surfaces.push_back(host::ControlSurfaceRec{type, area, dCl, ref, axis, anim});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateControlSurface")
            .integer(type)
            .num(area)
            .num(dCl)
            .vec(ref)
            .integer(axis)
            .integer(anim)
            .result()
            .handle(h)
            .end();
    return h;
}

DRAGELEMHANDLE VESSEL::CreateVariableDragElement(const double* drag, double factor, const VECTOR3& ref) const {
    DRAGELEMHANDLE h = nullptr;
    int vi = -1;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        vi = v->index;
        h = host::detail::handle_for(Kind::dragelem, *v, v->drag_elements.size());
        v->drag_elements.push_back(host::DragElementRec{drag, factor, ref});
        bool seen = false;
        for (const double* p : v->drag_vars_seen) seen = seen || p == drag;
        if (!seen && drag != nullptr) v->drag_vars_seen.push_back(drag);
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateVariableDragElement").drag_var(vi, drag).num(factor).vec(ref).result().handle(h).end();
    return h;
}

PROPELLANT_HANDLE VESSEL::CreatePropellantResource(double maxmass, double mass, double efficiency) const {
    PROPELLANT_HANDLE h = nullptr;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        h = host::detail::handle_for(Kind::propellant, *v, v->propellants.size());
        // A negative initial mass fills the tank.
        v->propellants.push_back(host::PropellantRec{maxmass, mass < 0.0 ? maxmass : mass, efficiency});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreatePropellantResource").num(maxmass).num(mass).num(efficiency).result().handle(h).end();
    return h;
}

THRUSTER_HANDLE VESSEL::CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0, PROPELLANT_HANDLE hp,
                                       double isp0, double isp_ref, double p_ref) const {
    THRUSTER_HANDLE h = nullptr;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        h = host::detail::handle_for(Kind::thruster, *v, v->thrusters.size());
        v->thrusters.push_back(host::ThrusterRec{pos, dir, maxth0, hp, isp0, isp_ref, p_ref, 0.0});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateThruster")
            .vec(pos)
            .vec(dir)
            .num(maxth0)
            .handle(hp)
            .num(isp0)
            .num(isp_ref)
            .num(p_ref)
            .result()
            .handle(h)
            .end();
    return h;
}

THGROUP_HANDLE VESSEL::CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE type) const {
    THGROUP_HANDLE h = nullptr;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        h = host::detail::handle_for(Kind::thgroup, *v, v->thruster_groups.size());
        host::ThrusterGroupRec g{type, {}};
        if (th != nullptr && nth > 0) g.members.assign(th, th + nth);
        v->thruster_groups.push_back(std::move(g));
    }
    if (trace::active()) [[unlikely]] {
        trace::Call c("CreateThrusterGroup");
        if (th == nullptr) {
            c.null();
        } else {
            c.begin_array();
            for (int i = 0; i < nth; ++i) c.handle(th[i]);
            c.end_array();
        }
        c.integer(nth).integer(type).result().handle(h).end();
    }
    return h;
}

void VESSEL::AddBeacon(BEACONLIGHTSPEC* bs) {
    if (VesselState* v = host::detail::vessel_of(hVessel)) v->beacons.push_back(bs);
    if (trace::active()) [[unlikely]]
        trace::Call("AddBeacon").beacon(bs).end();
}
