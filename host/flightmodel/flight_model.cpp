#include "flightmodel/flight_model.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "flightmodel/units.h"

namespace host::flight {

namespace {

// Sweeps of the friction solve over the touchdown points; each sweep can only
// take kinetic energy away, more sweeps share the friction better.
constexpr int kFrictionSweeps = 4;

bool finite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Direction of a control surface's force for a positive level: the hinge axis
// crossed with the trailing edge's direction (aft).
Vec3 surface_direction(const host::ControlSurfaceRec& c) {
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

// Attitude from heading (from north toward east), pitch (nose up) and bank
// (right wing down).
Quat attitude_from(double heading, double pitch, double bank) {
    const Vec3 fwd0{std::sin(heading), 0, std::cos(heading)};
    const Vec3 right0{std::cos(heading), 0, -std::sin(heading)};
    const Vec3 up0{0, 1, 0};
    const Vec3 fwd = fwd0 * std::cos(pitch) + up0 * std::sin(pitch);
    const Vec3 up1 = up0 * std::cos(pitch) - fwd0 * std::sin(pitch);
    const Vec3 right = right0 * std::cos(bank) - up1 * std::sin(bank);
    const Vec3 up = right0 * std::sin(bank) + up1 * std::cos(bank);
    return Quat::from_matrix(Mat3{right, up, fwd});
}

}  // namespace

struct FlightModel::Accum {
    double normal_n[3] = {0, 0, 0};  // ground reaction per touchdown point
    Vec3 force_world;
    Vec3 torque_body;
    Vec3 applied_world;   // everything but gravity and the ground
    Vec3 applied_torque;  // its moment, vessel frame
    Vec3 rot_damping;     // N m s per axis, applied implicitly
    double fuel_used_kg[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

FlightModel::FlightModel(host::Runtime& rt, int vessel, FlightModelOptions options)
    : rt_(rt), index_(vessel), opt_(options) {
    const host::VesselState& v = rt_.vessel(index_);
    if (!v.alive) throw host::HostError("FlightModel: vessel " + std::to_string(vessel) + " is not alive");
    if (v.propellants.size() > 8) throw host::HostError("FlightModel: more than 8 propellant resources");
    for (const auto& g : v.thruster_groups) {
        if (g.type != THGROUP_MAIN) continue;
        for (THRUSTER_HANDLE th : g.members) {
            int i = rt_.thruster_index(th);
            if (i >= 0 && static_cast<std::size_t>(i) < v.thrusters.size()) main_thrusters_.push_back(static_cast<std::size_t>(i));
        }
    }
    for (const auto& t : v.thrusters) {
        int p = rt_.propellant_index(t.propellant);
        thruster_propellant_.push_back(p >= 0 && static_cast<std::size_t>(p) < v.propellants.size() ? p : -1);
    }
    added_.reserve(16);
    report_.mass_kg = mass_kg();
}

double FlightModel::fuel_kg() const {
    const host::VesselState& v = rt_.vessel(index_);
    double m = 0;
    for (const auto& p : v.propellants) m += std::max(p.mass_kg, 0.0);
    return m;
}

double FlightModel::mass_kg() const { return rt_.vessel(index_).empty_mass_kg + fuel_kg(); }

double FlightModel::main_engine_level() const {
    const host::VesselState& v = rt_.vessel(index_);
    for (std::size_t i : main_thrusters_) {
        int p = thruster_propellant_[i];
        if (p >= 0 && v.propellants[static_cast<std::size_t>(p)].mass_kg > 0) return std::clamp(controls_.main_throttle, 0.0, 1.0);
    }
    return 0.0;
}

double FlightModel::airspeed_mps() const { return norm(body_.velocity_mps); }

double FlightModel::aoa_rad() const {
    const Vec3 vb = body_.attitude.matrix().tmul(body_.velocity_mps);
    return (vb.y == 0 && vb.z == 0) ? 0.0 : std::atan2(-vb.y, vb.z);
}

double FlightModel::sideslip_rad() const {
    const Vec3 vb = body_.attitude.matrix().tmul(body_.velocity_mps);
    return (vb.x == 0 && vb.z == 0) ? 0.0 : std::atan2(-vb.x, vb.z);
}

double FlightModel::pitch_rad() const {
    return std::asin(std::clamp(body_.attitude.matrix().c2.y, -1.0, 1.0));
}

double FlightModel::bank_rad() const {
    const Mat3 r = body_.attitude.matrix();
    return std::atan2(-r.c0.y, r.c1.y);
}

double FlightModel::heading_rad() const {
    const Vec3 f = body_.attitude.matrix().c2;
    double h = std::atan2(f.x, f.z);
    if (h < 0) h += kTwoPi;
    return h >= kTwoPi ? 0.0 : h;
}

bool FlightModel::ground_contact() const {
    for (int i = 0; i < 3; ++i) {
        if (touchdown_world(i).y < 0) return true;
    }
    return false;
}

Vec3 FlightModel::touchdown_world(int i) const {
    const VECTOR3& p = rt_.vessel(index_).touchdown_m[i];
    return body_.position_m + body_.attitude.matrix() * Vec3{p.x, p.y, p.z};
}

void FlightModel::SetState(const BodyState& s) {
    body_ = s;
    body_.attitude = s.attitude.normalized();
    parked_ = false;
    still_s_ = 0;
}

void FlightModel::PlaceOnGround(double heading_rad, double east_m, double north_m) {
    BodyState s;
    s.attitude = attitude_from(heading_rad, 0, 0);
    const host::VesselState& v = rt_.vessel(index_);
    double lowest = 0;
    for (const auto& p : v.touchdown_m) lowest = std::min(lowest, p.y);
    const double sag = kGravityMps2 / (opt_.gear_frequency_radps * opt_.gear_frequency_radps);
    s.position_m = {east_m, -lowest - sag, north_m};
    SetState(s);
    Settle();
    FeedReadings();
}

void FlightModel::PlaceInFlight(double altitude_m, double airspeed_mps, double heading_rad, double pitch_rad,
                                double bank_rad) {
    BodyState s;
    s.attitude = attitude_from(heading_rad, pitch_rad, bank_rad);
    s.position_m = {0, altitude_m, 0};
    s.velocity_mps = Vec3{std::sin(heading_rad), 0, std::cos(heading_rad)} * airspeed_mps;
    SetState(s);
    report_.contacts = 0;
    FeedReadings();
}

void FlightModel::Settle() {
    // Let the springs find their rest before the first frame; it takes no flight time.
    const double h = 1.0 / opt_.frame_rate_hz;
    for (int i = 0; i < static_cast<int>(60 * opt_.frame_rate_hz) && !parked_; ++i) Substep(h);
}

void FlightModel::Forces(double h, Accum& a) {
    const host::VesselState& v = rt_.vessel(index_);
    const double m = mass_kg();
    const Mat3 R = body_.attitude.matrix();
    const Vec3 vb = R.tmul(body_.velocity_mps);
    const Atmosphere atm = StandardAtmosphere(body_.position_m.y);
    const double speed = norm(vb);
    const double q = 0.5 * atm.density_kgpm3 * speed * speed;

    Vec3 fb;  // vessel frame, all but the drag below
    Vec3 tb;
    double lift = 0, drag_eff = 0;
    report_.dynamic_pressure_pa = q;
    report_.mach = speed / atm.speed_of_sound_mps;

    if (speed > 1e-9) {
        const Vec3 u = vb * (1.0 / speed);
        const double aoa = std::atan2(-vb.y, vb.z);
        const double slip = std::atan2(-vb.x, vb.z);
        double flow_drag = 0;  // along -u: airfoils and drag elements
        Vec3 flow_drag_torque;
        for (std::size_t k = 0; k < v.airfoils.size(); ++k) {
            const host::AirfoilRec& af = v.airfoils[k];
            if (af.coeff == nullptr) continue;
            const bool vertical = af.orientation == LIFT_VERTICAL;
            const double re = atm.density_kgpm3 * speed * af.chord_m / atm.viscosity_pas;
            double cl = 0, cm = 0, cd = 0;
            rt_.airfoil_coefficients(index_, k, vertical ? aoa : slip, report_.mach, re, &cl, &cm, &cd);
            // Lift across the airflow, in the airfoil's plane.
            Vec3 l = vertical ? Vec3{0, u.z, -u.y} : Vec3{u.z, 0, -u.x};
            const double ln = norm(l);
            const Vec3 ref{af.ref_m.x, af.ref_m.y, af.ref_m.z};
            if (ln > 1e-9) {
                const Vec3 lf = l * (q * af.area_m2 * cl / ln);
                fb += lf;
                tb += cross(ref, lf);
                if (vertical) lift += q * af.area_m2 * cl;
            }
            const double d = q * af.area_m2 * std::max(cd, 0.0);
            flow_drag += d;
            flow_drag_torque += cross(ref, u * -d);
            // Positive cm raises the nose (a negative moment about x).
            const double moment = q * af.area_m2 * af.chord_m * cm;
            if (vertical) {
                tb.x -= moment;
            } else {
                tb.y += moment;
            }
        }
        const double size3 = v.size_m * v.size_m * v.size_m;
        if (v.pitch_moment_scale_set) tb.x += v.pitch_moment_scale * q * aoa * size3;  // toward zero aoa
        if (v.bank_moment_scale_set) tb.z += v.bank_moment_scale * q * slip * size3;   // rolls away from the slip
        for (const host::ControlSurfaceRec& c : v.control_surfaces) {
            const int type = c.type;
            if (type < 0 || type > 5) continue;
            const Vec3 f = surface_direction(c) * (q * c.area_m2 * c.dcl * v.ctrl_level[type]);
            fb += f;
            tb += cross(Vec3{c.ref_m.x, c.ref_m.y, c.ref_m.z}, f);
            lift += f.y;
        }
        for (const host::DragElementRec& d : v.drag_elements) {
            const double level = d.var != nullptr ? std::max(*d.var, 0.0) : 0.0;
            const double f = q * d.factor * level;
            if (!(f > 0)) continue;
            flow_drag += f;
            flow_drag_torque += cross(Vec3{d.ref_m.x, d.ref_m.y, d.ref_m.z}, u * -f);
        }

        // Drag may stop the airflow within a step but never reverse it: each
        // part is applied as the exact solution of v' = -b v|v| over the step,
        // the flow drag first, the body drag per axis on what is left.
        const double phi = flow_drag * h / (m * speed);
        const double f_keep = 1.0 / (1.0 + phi);  // fraction of the airflow the flow drag leaves
        const double sigma = phi > 0 ? (1.0 - f_keep) / phi : 1.0;
        fb += u * (-flow_drag * sigma);
        tb += flow_drag_torque * sigma;
        const double cwz = vb.z > 0 ? v.cw[0] : v.cw[1];
        const double cw[3] = {v.cw[2], v.cw[3], cwz};
        const double area[3] = {v.cross_sections_m2.x, v.cross_sections_m2.y, v.cross_sections_m2.z};
        const double vc[3] = {vb.x, vb.y, vb.z};
        double body[3];
        for (int i = 0; i < 3; ++i) {
            const double beta = 0.5 * atm.density_kgpm3 * std::max(cw[i], 0.0) * std::max(area[i], 0.0) *
                                std::abs(vc[i]) * h / m;
            const double g = beta / (1.0 + beta);
            body[i] = -m * g * f_keep * vc[i] / h;
        }
        const Vec3 body_drag{body[0], body[1], body[2]};
        fb += body_drag;
        drag_eff = flow_drag * sigma - dot(body_drag, u);

        // Rotational drag grows with the air's density and the airspeed.
        const double s4 = size3 * v.size_m;
        const double k = 0.5 * atm.density_kgpm3 * speed * s4;
        a.rot_damping = Vec3{std::max(v.rot_drag.x, 0.0), std::max(v.rot_drag.y, 0.0), std::max(v.rot_drag.z, 0.0)} * k;
    }

    // Thrusters: the main group follows the host's main-engine control.
    double thrust = 0, flow_total = 0;
    double available[8];
    for (std::size_t p = 0; p < v.propellants.size(); ++p) available[p] = std::max(v.propellants[p].mass_kg, 0.0);
    for (std::size_t i = 0; i < v.thrusters.size(); ++i) {
        const host::ThrusterRec& t = v.thrusters[i];
        const int p = thruster_propellant_[i];
        if (p < 0) continue;
        const bool main = std::find(main_thrusters_.begin(), main_thrusters_.end(), i) != main_thrusters_.end();
        const double level = std::clamp(main ? controls_.main_throttle : t.level, 0.0, 1.0);
        const double f0 = level * std::max(t.max_thrust0_n, 0.0);
        if (!(f0 > 0) || !(t.isp0_mps > 0)) continue;
        const host::PropellantRec& pr = v.propellants[static_cast<std::size_t>(p)];
        const double eff = pr.efficiency > 0 ? pr.efficiency : 1.0;
        const double flow = f0 / (t.isp0_mps * eff);
        double need = flow * h;
        double share = 1.0;
        if (available[p] <= 0) continue;
        if (need > available[p]) {
            share = available[p] / need;
            need = available[p];
        }
        available[p] -= need;
        a.fuel_used_kg[p] += need;
        double isp = t.isp0_mps;
        if (t.isp_ref_mps > 0 && t.p_ref_pa > 0) {
            isp = std::max(t.isp0_mps - (t.isp0_mps - t.isp_ref_mps) * atm.pressure_pa / t.p_ref_pa, 0.0);
        }
        const double f = f0 * share * isp / t.isp0_mps;
        Vec3 dir{t.dir.x, t.dir.y, t.dir.z};
        const double dn = norm(dir);
        if (dn <= 0) continue;
        dir = dir * (f / dn);
        fb += dir;
        tb += cross(Vec3{t.pos_m.x, t.pos_m.y, t.pos_m.z}, dir);
        thrust += f;
        flow_total += flow * share;
    }

    // Forces the module added in its last step.
    for (const host::ForceRec& f : added_) {
        const Vec3 fv{f.force_n.x, f.force_n.y, f.force_n.z};
        fb += fv;
        tb += cross(Vec3{f.point_m.x, f.point_m.y, f.point_m.z}, fv);
    }

    a.applied_world = R * fb;
    a.applied_torque = tb;
    const Vec3 gravity{0, -kGravityMps2 * m, 0};
    Vec3 fw = a.applied_world + gravity;

    // Ground: a spring and damper per touchdown point along the vertical. The
    // friction is not a force here: Integrate applies it as impulses once the
    // step's other forces are in.
    double total_n = 0;
    int contacts = 0;
    const double k_pt = m * opt_.gear_frequency_radps * opt_.gear_frequency_radps / 3.0;
    const double c_pt = std::min(2.0 * opt_.gear_damping_ratio * std::sqrt(k_pt * m / 3.0), 0.5 * m / 3.0 / h);
    Vec3 ground;
    Vec3 ground_torque;
    for (int i = 0; i < 3; ++i) {
        a.normal_n[i] = 0;
        const Vec3 p{v.touchdown_m[i].x, v.touchdown_m[i].y, v.touchdown_m[i].z};
        const Vec3 pw = body_.position_m + R * p;
        if (pw.y >= 0) continue;
        ++contacts;
        const Vec3 point_vel = body_.velocity_mps + R * cross(body_.omega_radps, p);
        const double n = std::max(k_pt * -pw.y - c_pt * point_vel.y, 0.0);
        a.normal_n[i] = n;
        total_n += n;
        ground.y += n;
        ground_torque += cross(p, R.tmul(Vec3{0, n, 0}));
    }
    a.force_world = fw + ground;
    a.torque_body = tb + ground_torque;

    report_.mass_kg = m;
    report_.thrust_n = thrust;
    report_.fuel_flow_kgps = flow_total;
    report_.lift_n = lift;
    report_.drag_n = drag_eff;
    report_.normal_load_n = total_n;
    report_.contacts = contacts;
}

bool FlightModel::Driven(const Accum& a) const {
    const Vec3 f = a.applied_world;
    return std::hypot(f.x, f.z) > 1.0 || std::abs(f.y) > 1e-3 * mass_kg() * kGravityMps2 || norm(a.applied_torque) > 1.0;
}

void FlightModel::Integrate(double h, const Accum& a) {
    const host::VesselState& v = rt_.vessel(index_);
    const double m = mass_kg();
    if (parked_ && Driven(a)) {
        parked_ = false;
        still_s_ = 0;
    }
    if (!parked_) {
        body_.velocity_mps += a.force_world * (h / m);
        const Vec3 I = Vec3{v.pmi_m2.x, v.pmi_m2.y, v.pmi_m2.z} * m;
        const bool rotates = I.x > 0 && I.y > 0 && I.z > 0;
        if (rotates) {
            // Without torque the angular momentum only turns in the vessel
            // frame. An explicit step would lengthen it by sqrt(1 + (w h)^2)
            // every substep and a fast tumble would blow up, so the turned
            // momentum keeps its length.
            const Vec3 w = body_.omega_radps;
            const Vec3 l{I.x * w.x, I.y * w.y, I.z * w.z};
            Vec3 lt = l - cross(w, l) * h;
            const double ln = norm(l), ltn = norm(lt);
            if (ltn > 0) lt = lt * (ln / ltn);
            lt += a.torque_body * h;
            Vec3 nw{lt.x / I.x, lt.y / I.y, lt.z / I.z};
            nw.x /= 1.0 + a.rot_damping.x * h / I.x;
            nw.y /= 1.0 + a.rot_damping.y * h / I.y;
            nw.z /= 1.0 + a.rot_damping.z * h / I.z;
            body_.omega_radps = nw;
        }
        if (report_.contacts > 0) Friction(h, a, rotates ? I : Vec3{});
        body_.position_m += body_.velocity_mps * h;
        if (rotates) body_.attitude = body_.attitude.rotated_by_body(body_.omega_radps * h);
    }
    for (std::size_t p = 0; p < v.propellants.size(); ++p) {
        if (a.fuel_used_kg[p] > 0) {
            rt_.set_propellant_mass_kg(index_, p, std::max(v.propellants[p].mass_kg - a.fuel_used_kg[p], 0.0));
        }
    }
    // At rest on all points and nothing pushing: the host holds it still
    // exactly, as the simulator does with a landed vessel.
    if (!parked_ && report_.contacts == 3 && norm(body_.velocity_mps) < 0.05 && norm(body_.omega_radps) < 0.02 &&
        !Driven(a)) {
        still_s_ += h;
        if (still_s_ >= 0.5) {
            parked_ = true;
            body_.velocity_mps = {};
            body_.omega_radps = {};
        }
    } else if (!parked_) {
        still_s_ = 0;
    }
}

void FlightModel::Friction(double h, const Accum& a, Vec3 inertia) {
    // Rolling friction along the wheels and side friction across them, as
    // impulses on the velocities the step's other forces left (projected
    // Gauss-Seidel). Each impulse at most stops its point's sliding, with the
    // point's effective mass (rotation included: a force on the far nose
    // wheel turns more than it pushes), and a point's total stays within
    // friction x normal load x step. So friction only removes kinetic energy.
    const host::VesselState& v = rt_.vessel(index_);
    const double m = mass_kg();
    const Mat3 R = body_.attitude.matrix();
    Vec3 fwd{R.c2.x, 0, R.c2.z};
    double fl = norm(fwd);
    if (fl < 1e-6) {
        fwd = Vec3{R.c1.x, 0, R.c1.z};
        fl = norm(fwd);
    }
    const Vec3 t = fl > 1e-9 ? fwd * (1.0 / fl) : Vec3{0, 0, 1};
    const Vec3 s{t.z, 0, -t.x};
    const Vec3 inv_i{inertia.x > 0 ? 1.0 / inertia.x : 0.0, inertia.y > 0 ? 1.0 / inertia.y : 0.0,
                     inertia.z > 0 ? 1.0 / inertia.z : 0.0};
    struct Row {
        Vec3 p;        // touchdown point, vessel frame
        Vec3 dir;      // world
        Vec3 arm;      // p x dir in the vessel frame
        double inv_mass;
        double limit;  // largest impulse, N s
        double taken = 0;
    };
    Row rows[6];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        if (!(a.normal_n[i] > 0)) continue;
        const Vec3 p{v.touchdown_m[i].x, v.touchdown_m[i].y, v.touchdown_m[i].z};
        const double mu_l =
            opt_.rolling_friction + (i >= 1 ? std::clamp(controls_.brakes, 0.0, 1.0) * opt_.brake_friction : 0.0);
        const double mu[2] = {mu_l, opt_.side_friction};
        const Vec3 dirs[2] = {t, s};
        for (int k = 0; k < 2; ++k) {
            Row& r = rows[n++];
            r.p = p;
            r.dir = dirs[k];
            r.arm = cross(p, R.tmul(dirs[k]));
            r.inv_mass = 1.0 / m + r.arm.x * r.arm.x * inv_i.x + r.arm.y * r.arm.y * inv_i.y + r.arm.z * r.arm.z * inv_i.z;
            r.limit = std::max(mu[k], 0.0) * a.normal_n[i] * h;
        }
    }
    // The solve's order favours the points taken first, which would yaw or
    // roll a symmetric aircraft; the mean of it and its mirror order does
    // not, and it still only removes energy (kinetic energy is convex).
    const Vec3 v0 = body_.velocity_mps, w0 = body_.omega_radps;
    Vec3 v_sum, w_sum;
    const int orders = n >= 4 ? 2 : 1;
    for (int order = 0; order < orders; ++order) {
        Vec3 vel = v0, omega = w0;
        for (int j = 0; j < n; ++j) rows[j].taken = 0;
        for (int sweep = 0; sweep < kFrictionSweeps; ++sweep) {
            for (int jj = 0; jj < n; ++jj) {
                // Mirror order: the rows of the last two points swap places.
                const int j = order == 0 || jj < n - 4 ? jj : (jj < n - 2 ? jj + 2 : jj - 2);
                Row& r = rows[j];
                const double vd = dot(vel + R * cross(omega, r.p), r.dir);
                const double want = std::clamp(r.taken - vd / r.inv_mass, -r.limit, r.limit);
                const double dj = want - r.taken;
                r.taken = want;
                vel += r.dir * (dj / m);
                omega += Vec3{r.arm.x * inv_i.x, r.arm.y * inv_i.y, r.arm.z * inv_i.z} * dj;
            }
        }
        v_sum += vel;
        w_sum += omega;
    }
    body_.velocity_mps = v_sum * (1.0 / orders);
    body_.omega_radps = w_sum * (1.0 / orders);
}

void FlightModel::PushControls() {
    // The pilot's surfaces go through the host's levels, where the module reads them too.
    rt_.set_control_surface_level(index_, AIRCTRL_ELEVATOR, std::clamp(controls_.elevator, -1.0, 1.0));
    rt_.set_control_surface_level(index_, AIRCTRL_RUDDER, std::clamp(controls_.rudder, -1.0, 1.0));
    rt_.set_control_surface_level(index_, AIRCTRL_AILERON, std::clamp(controls_.aileron, -1.0, 1.0));
    rt_.set_control_surface_level(index_, AIRCTRL_ELEVATORTRIM, std::clamp(controls_.elevator_trim, -1.0, 1.0));
}

void FlightModel::Substep(double h) {
    PushControls();
    Accum a;
    Forces(h, a);
    Integrate(h, a);
}

void FlightModel::FeedReadings() {
    PushControls();
    rt_.set_airspeed_mps(index_, airspeed_mps());
    rt_.set_altitude_m(index_, altitude_m());
    rt_.set_aoa_rad(index_, aoa_rad());
    rt_.set_bank_rad(index_, bank_rad());
    rt_.set_ground_contact(index_, ground_contact());
    const double level = main_engine_level();
    for (std::size_t i : main_thrusters_) rt_.set_thruster_level(index_, i, level);
    rt_.set_focus_heading_rad(heading_rad());
}

double FlightModel::RunFrame(const SubstepHook& hook) {
    const host::VesselState& v = rt_.vessel(index_);
    added_.assign(v.forces.begin(), v.forces.end());
    rt_.begin_frame();
    ++frames_;
    const double base = 1.0 / opt_.frame_rate_hz;
    const double factor = rt_.time_acceleration();
    const double dt = std::isfinite(factor) && factor > 0 ? factor * base : 0.0;
    if (dt > 0) {
        const int n = std::max(1, static_cast<int>(std::ceil(dt / base - 1e-9)));
        const double h = dt / n;
        for (int i = 0; i < n; ++i) {
            if (hook) hook(h);
            Substep(h);
        }
    }
    if (!finite(body_.position_m) || !finite(body_.velocity_mps) || !finite(body_.omega_radps)) {
        throw std::runtime_error("flight model: the state is no longer finite at t = " + std::to_string(simt_) + " s");
    }
    simt_ += dt;
    FeedReadings();
    rt_.step(simt_, dt, opt_.mjd_at_start + simt_ / 86400.0);
    return dt;
}

}  // namespace host::flight
