// The forces on the vessel in one substep, one function per term, summed in
// a fixed order (the sums are floating point: the order is part of the result).
#include <algorithm>
#include <cmath>

#include "flightmodel/flight_model.h"

namespace host::flight {

namespace {

// Direction of a control surface's force for a positive level: the hinge axis
// crossed with the trailing edge's direction (aft).
Vec3 SurfaceDirection(const host::ControlSurfaceRec& c) {
    int axis = c.axis;
    if (axis == AIRCTRL_AXIS_AUTO) axis = c.type == AIRCTRL_RUDDER ? AIRCTRL_AXIS_YPOS : AIRCTRL_AXIS_XPOS;
    switch (axis) {
        case AIRCTRL_AXIS_XPOS: return {0, 1, 0};
        case AIRCTRL_AXIS_XNEG: return {0, -1, 0};
        case AIRCTRL_AXIS_YPOS: return {-1, 0, 0};
        case AIRCTRL_AXIS_YNEG: return {1, 0, 0};
        default: return {0, 0, 0};
    }
}

Vec3 ToVec3(const VECTOR3& v) { return {v.x, v.y, v.z}; }

}  // namespace

// The air around the vessel in this substep, in the vessel frame.
struct FlightModel::Airflow {
    Atmosphere atm{};
    Vec3 velocity_mps;
    double speed_mps = 0;
    Vec3 direction;  // along the velocity, unit; set only while the air moves
    double aoa_rad = 0, sideslip_rad = 0;
    double dynamic_pressure_pa = 0;
    double mach = 0;
};

// Forces and moments on the body, vessel frame, as the terms add them.
struct FlightModel::BodyLoads {
    Vec3 force_n;
    Vec3 torque_nm;
    double lift_n = 0;
    double flow_drag_n = 0;  // against the airflow: airfoils and drag elements
    Vec3 flow_drag_torque_nm;
    double drag_n = 0;       // effective drag along the airflow, for the report
    double thrust_n = 0;
    double fuel_flow_kgps = 0;
};

struct FlightModel::GroundReaction {
    Vec3 force_world_n;
    Vec3 torque_body_nm;
    double load_n = 0;
    int contacts = 0;
};

void FlightModel::Forces(double step_s, Accum& a) {
    const double m_kg = mass_kg();
    const Mat3& to_world = this->to_world();
    Airflow air;
    air.velocity_mps = velocity_body_mps();
    air.atm = StandardAtmosphere(body_.position_m.y);
    air.speed_mps = Length(air.velocity_mps);
    air.dynamic_pressure_pa = 0.5 * air.atm.density_kgpm3 * air.speed_mps * air.speed_mps;
    air.mach = air.speed_mps / air.atm.speed_of_sound_mps;
    report_.dynamic_pressure_pa = air.dynamic_pressure_pa;
    report_.mach = air.mach;

    BodyLoads loads;
    if (air.speed_mps > 1e-9) {
        air.direction = air.velocity_mps * (1.0 / air.speed_mps);
        air.aoa_rad = flow_aoa();
        air.sideslip_rad = flow_sideslip();
        AirfoilForces(air, loads);
        StabilityMoments(air, loads);
        ControlSurfaceForces(air, loads);
        VariableDrag(air, loads);
        ApplyDrag(air, m_kg, step_s, loads);
        a.rot_damping_nms = RotationalDamping(air);
    }
    ThrustAndFuel(air.atm, step_s, loads, a);
    ModuleForces(loads);

    a.applied_world_n = to_world * loads.force_n;
    a.applied_torque_nm = loads.torque_nm;
    const Vec3 free_world_n = a.applied_world_n + Gravity(m_kg);
    const GroundReaction ground = GroundSprings(to_world, m_kg, step_s, a);
    a.force_world_n = free_world_n + ground.force_world_n;
    a.torque_body_nm = loads.torque_nm + ground.torque_body_nm;

    report_.mass_kg = m_kg;
    report_.thrust_n = loads.thrust_n;
    report_.fuel_flow_kgps = loads.fuel_flow_kgps;
    report_.lift_n = loads.lift_n;
    report_.drag_n = loads.drag_n;
    report_.normal_load_n = ground.load_n;
    report_.contacts = ground.contacts;
}

// Each airfoil: lift across the airflow in its plane, drag along it (applied
// later with the other flow drag), and its pitching or yawing moment.
void FlightModel::AirfoilForces(const Airflow& air, BodyLoads& loads) const {
    const host::VesselState& v = *vessel_;
    const Vec3 u = air.direction;
    const double q_pa = air.dynamic_pressure_pa;
    for (std::size_t k = 0; k < v.airfoils.size(); ++k) {
        const host::AirfoilRec& af = v.airfoils[k];
        if (af.coeff == nullptr) continue;
        const bool vertical = af.orientation == LIFT_VERTICAL;
        const double re = air.atm.density_kgpm3 * air.speed_mps * af.chord_m / air.atm.viscosity_pas;
        double cl = 0, cm = 0, cd = 0;
        rt_.airfoil_coefficients(index_, k, vertical ? air.aoa_rad : air.sideslip_rad, air.mach, re, &cl, &cm, &cd);
        const Vec3 l = vertical ? Vec3{0, u.z, -u.y} : Vec3{u.z, 0, -u.x};
        const double ln = Length(l);
        const Vec3 ref_m = ToVec3(af.ref_m);
        if (ln > 1e-9) {
            const Vec3 lift_n = l * (q_pa * af.area_m2 * cl / ln);
            loads.force_n += lift_n;
            loads.torque_nm += Cross(ref_m, lift_n);
            if (vertical) loads.lift_n += q_pa * af.area_m2 * cl;
        }
        const double drag_n = q_pa * af.area_m2 * std::max(cd, 0.0);
        loads.flow_drag_n += drag_n;
        loads.flow_drag_torque_nm += Cross(ref_m, u * -drag_n);
        // Positive cm raises the nose (a negative moment about x).
        const double moment_nm = q_pa * af.area_m2 * af.chord_m * cm;
        if (vertical) {
            loads.torque_nm.x -= moment_nm;
        } else {
            loads.torque_nm.y += moment_nm;
        }
    }
}

// Where the module set them: toward zero angle of attack, and rolling away
// from a sideslip.
void FlightModel::StabilityMoments(const Airflow& air, BodyLoads& loads) const {
    const host::VesselState& v = *vessel_;
    const double size3 = v.size_m * v.size_m * v.size_m;
    const double q_pa = air.dynamic_pressure_pa;
    if (v.pitch_moment_scale_set) loads.torque_nm.x += v.pitch_moment_scale * q_pa * air.aoa_rad * size3;
    if (v.bank_moment_scale_set) loads.torque_nm.z += v.bank_moment_scale * q_pa * air.sideslip_rad * size3;
}

void FlightModel::ControlSurfaceForces(const Airflow& air, BodyLoads& loads) const {
    const host::VesselState& v = *vessel_;
    for (const host::ControlSurfaceRec& c : v.control_surfaces) {
        const int type = c.type;
        if (type < 0 || type > 5) continue;
        const double size_n = air.dynamic_pressure_pa * c.area_m2 * c.dcl * v.ctrl_level[type];
        // A surface at rest adds only zeros (its point is finite), and a sum
        // that starts at +0 is not changed by adding a zero of either sign.
        if (size_n == 0) continue;
        const Vec3 f_n = SurfaceDirection(c) * size_n;
        loads.force_n += f_n;
        loads.torque_nm += Cross(ToVec3(c.ref_m), f_n);
        loads.lift_n += f_n.y;
    }
}

// Drag elements: q x factor x the level behind their variable, at their points.
void FlightModel::VariableDrag(const Airflow& air, BodyLoads& loads) const {
    const host::VesselState& v = *vessel_;
    for (const host::DragElementRec& d : v.drag_elements) {
        const double level = d.var != nullptr ? std::max(*d.var, 0.0) : 0.0;
        const double f_n = air.dynamic_pressure_pa * d.factor * level;
        if (!(f_n > 0)) continue;
        loads.flow_drag_n += f_n;
        loads.flow_drag_torque_nm += Cross(ToVec3(d.ref_m), air.direction * -f_n);
    }
}

// Drag may stop the airflow within a step but never reverse it: each part is
// applied as the exact solution of v' = -b v|v| over the step, the flow drag
// first, the body drag per axis on what is left.
void FlightModel::ApplyDrag(const Airflow& air, double m_kg, double step_s, BodyLoads& loads) const {
    const host::VesselState& v = *vessel_;
    const Vec3 vb = air.velocity_mps;
    const double phi = loads.flow_drag_n * step_s / (m_kg * air.speed_mps);
    const double f_keep = 1.0 / (1.0 + phi);  // fraction of the airflow the flow drag leaves
    const double sigma = phi > 0 ? (1.0 - f_keep) / phi : 1.0;
    loads.force_n += air.direction * (-loads.flow_drag_n * sigma);
    loads.torque_nm += loads.flow_drag_torque_nm * sigma;
    const double cwz = vb.z > 0 ? v.cw[0] : v.cw[1];
    const double cw[3] = {v.cw[2], v.cw[3], cwz};
    const double area_m2[3] = {v.cross_sections_m2.x, v.cross_sections_m2.y, v.cross_sections_m2.z};
    const double vc_mps[3] = {vb.x, vb.y, vb.z};
    double body_n[3];
    for (int i = 0; i < 3; ++i) {
        const double beta = 0.5 * air.atm.density_kgpm3 * std::max(cw[i], 0.0) * std::max(area_m2[i], 0.0) *
                            std::abs(vc_mps[i]) * step_s / m_kg;
        const double g = beta / (1.0 + beta);
        body_n[i] = -m_kg * g * f_keep * vc_mps[i] / step_s;
    }
    const Vec3 body_drag_n{body_n[0], body_n[1], body_n[2]};
    loads.force_n += body_drag_n;
    loads.drag_n = loads.flow_drag_n * sigma - Dot(body_drag_n, air.direction);
}

// Grows with the air's density and the airspeed.
Vec3 FlightModel::RotationalDamping(const Airflow& air) const {
    const host::VesselState& v = *vessel_;
    const double size3 = v.size_m * v.size_m * v.size_m;
    const double size4 = size3 * v.size_m;
    const double k = 0.5 * air.atm.density_kgpm3 * air.speed_mps * size4;
    return Vec3{std::max(v.rot_drag.x, 0.0), std::max(v.rot_drag.y, 0.0), std::max(v.rot_drag.z, 0.0)} * k;
}

// The main group follows the host's main-engine control. A tank that cannot
// feed a whole step gives only its share of the thrust.
void FlightModel::ThrustAndFuel(const Atmosphere& atm, double step_s, BodyLoads& loads, Accum& a) const {
    const host::VesselState& v = *vessel_;
    double available_kg[kMaxPropellants];
    for (std::size_t p = 0; p < v.propellants.size(); ++p) available_kg[p] = std::max(v.propellants[p].mass_kg, 0.0);
    for (std::size_t i = 0; i < v.thrusters.size(); ++i) {
        const host::ThrusterRec& t = v.thrusters[i];
        const int p = thruster_propellant_[i];
        if (p < 0) continue;
        const bool main = std::find(main_thrusters_.begin(), main_thrusters_.end(), i) != main_thrusters_.end();
        const double level = std::clamp(main ? controls_.main_throttle : t.level, 0.0, 1.0);
        const double f0_n = level * std::max(t.max_thrust0_n, 0.0);
        if (!(f0_n > 0) || !(t.isp0_mps > 0)) continue;
        const host::PropellantRec& pr = v.propellants[static_cast<std::size_t>(p)];
        const double eff = pr.efficiency > 0 ? pr.efficiency : 1.0;
        const double flow_kgps = f0_n / (t.isp0_mps * eff);
        double need_kg = flow_kgps * step_s;
        double share = 1.0;
        if (available_kg[p] <= 0) continue;
        if (need_kg > available_kg[p]) {
            share = available_kg[p] / need_kg;
            need_kg = available_kg[p];
        }
        available_kg[p] -= need_kg;
        a.fuel_used_kg[p] += need_kg;
        double isp_mps = t.isp0_mps;
        if (t.isp_ref_mps > 0 && t.p_ref_pa > 0) {
            isp_mps = std::max(t.isp0_mps - (t.isp0_mps - t.isp_ref_mps) * atm.pressure_pa / t.p_ref_pa, 0.0);
        }
        const double f_n = f0_n * share * isp_mps / t.isp0_mps;
        Vec3 dir = ToVec3(t.dir);
        const double dn = Length(dir);
        if (dn <= 0) continue;
        dir = dir * (f_n / dn);
        loads.force_n += dir;
        loads.torque_nm += Cross(ToVec3(t.pos_m), dir);
        loads.thrust_n += f_n;
        loads.fuel_flow_kgps += flow_kgps * share;
    }
}

// What the module added with AddForce in its last step.
void FlightModel::ModuleForces(BodyLoads& loads) const {
    for (const host::ForceRec& f : added_forces_) {
        const Vec3 f_n = ToVec3(f.force_n);
        loads.force_n += f_n;
        loads.torque_nm += Cross(ToVec3(f.point_m), f_n);
    }
}

Vec3 FlightModel::Gravity(double m_kg) { return Vec3{0, -kGravityMps2 * m_kg, 0}; }

// A spring and damper per touchdown point along the vertical. Friction is not
// a force here: Integrate applies it as impulses once the step's other forces
// are in.
FlightModel::GroundReaction FlightModel::GroundSprings(const Mat3& to_world, double m_kg, double step_s,
                                                       Accum& a) const {
    GroundReaction ground;
    if (FarAboveGround()) return ground;  // every point would be skipped below
    const host::VesselState& v = *vessel_;
    const double w = options_.gear_frequency_radps;
    const double k_npm = m_kg * w * w / kTouchdownPoints;
    const double c_nspm = std::min(2.0 * options_.gear_damping_ratio * std::sqrt(k_npm * m_kg / kTouchdownPoints),
                                   0.5 * m_kg / kTouchdownPoints / step_s);
    for (int i = 0; i < kTouchdownPoints; ++i) {
        a.normal_n[i] = 0;
        const Vec3 p_m = ToVec3(v.touchdown_m[i]);
        const Vec3 pw_m = body_.position_m + to_world * p_m;
        if (pw_m.y >= 0) continue;
        ++ground.contacts;
        const Vec3 point_vel_mps = body_.velocity_mps + to_world * Cross(body_.omega_radps, p_m);
        const double n = std::max(k_npm * -pw_m.y - c_nspm * point_vel_mps.y, 0.0);
        a.normal_n[i] = n;
        ground.load_n += n;
        ground.force_world_n.y += n;
        ground.torque_body_nm += Cross(p_m, to_world.TransposeTimes(Vec3{0, n, 0}));
    }
    return ground;
}

}  // namespace host::flight
