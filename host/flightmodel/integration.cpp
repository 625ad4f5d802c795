// Motion over one substep: semi-implicit Euler for the body, the angular
// momentum turned with its length kept, wheel friction as impulses, the fuel
// burnt, and the host's hold on a vessel at rest.
#include <algorithm>
#include <cmath>

#include "flightmodel/flight_model.h"

namespace host::flight {

namespace {

// Sweeps of the friction solve over the touchdown points; each sweep can only
// take kinetic energy away, more sweeps share the friction better.
constexpr int kFrictionSweeps = 4;
// Along the wheels and across them.
constexpr int kFrictionDirections = 2;

// One direction of friction at one touchdown point.
struct FrictionRow {
    Vec3 point_m;    // touchdown point, vessel frame
    Vec3 dir;        // world, unit
    Vec3 arm;        // point x dir in the vessel frame
    double inv_mass_per_kg = 0;  // effective, rotation included
    double limit_ns = 0;         // largest impulse
    double taken_ns = 0;
};

// Projected Gauss-Seidel over the rows, from the velocities given: each
// impulse at most stops its point's sliding and stays within its limit.
// Leaves the resulting velocities in velocity_mps and omega_radps.
void SolveFriction(FrictionRow* rows, int n, bool mirrored, const Mat3& to_world, double m_kg, Vec3 inv_inertia,
                   Vec3& velocity_mps, Vec3& omega_radps) {
    for (int j = 0; j < n; ++j) rows[j].taken_ns = 0;
    for (int sweep = 0; sweep < kFrictionSweeps; ++sweep) {
        for (int jj = 0; jj < n; ++jj) {
            // Mirror order: the rows of the last two points swap places.
            const int j = !mirrored || jj < n - 4 ? jj : (jj < n - 2 ? jj + 2 : jj - 2);
            FrictionRow& r = rows[j];
            const double vd = Dot(velocity_mps + to_world * Cross(omega_radps, r.point_m), r.dir);
            const double want = std::clamp(r.taken_ns - vd / r.inv_mass_per_kg, -r.limit_ns, r.limit_ns);
            const double dj = want - r.taken_ns;
            r.taken_ns = want;
            velocity_mps += r.dir * (dj / m_kg);
            omega_radps += Vec3{r.arm.x * inv_inertia.x, r.arm.y * inv_inertia.y, r.arm.z * inv_inertia.z} * dj;
        }
    }
}

}  // namespace

bool FlightModel::Driven(const Accum& a) const {
    const Vec3 f = a.applied_world_n;
    return std::hypot(f.x, f.z) > 1.0 || std::abs(f.y) > 1e-3 * mass_kg() * kGravityMps2 ||
           Length(a.applied_torque_nm) > 1.0;
}

void FlightModel::Integrate(double step_s, const Accum& a) {
    const host::VesselState& v = *vessel_;
    const double m_kg = mass_kg();
    if (parked_ && Driven(a)) {
        parked_ = false;
        still_s_ = 0;
    }
    if (!parked_) {
        body_.velocity_mps += a.force_world_n * (step_s / m_kg);
        const Vec3 inertia = Vec3{v.pmi_m2.x, v.pmi_m2.y, v.pmi_m2.z} * m_kg;
        const bool rotates = inertia.x > 0 && inertia.y > 0 && inertia.z > 0;
        if (rotates) {
            // Without torque the angular momentum only turns in the vessel
            // frame. An explicit step would lengthen it by sqrt(1 + (w h)^2)
            // every substep and a fast tumble would blow up, so the turned
            // momentum keeps its length.
            const Vec3 w = body_.omega_radps;
            const Vec3 l{inertia.x * w.x, inertia.y * w.y, inertia.z * w.z};
            Vec3 lt = l - Cross(w, l) * step_s;
            const double ln = Length(l), ltn = Length(lt);
            if (ltn > 0) lt = lt * (ln / ltn);
            lt += a.torque_body_nm * step_s;
            Vec3 nw{lt.x / inertia.x, lt.y / inertia.y, lt.z / inertia.z};
            nw.x /= 1.0 + a.rot_damping_nms.x * step_s / inertia.x;
            nw.y /= 1.0 + a.rot_damping_nms.y * step_s / inertia.y;
            nw.z /= 1.0 + a.rot_damping_nms.z * step_s / inertia.z;
            body_.omega_radps = nw;
        }
        if (report_.contacts > 0) Friction(step_s, a, rotates ? inertia : Vec3{});
        body_.position_m += body_.velocity_mps * step_s;
        if (rotates) body_.attitude = body_.attitude.RotatedByBody(body_.omega_radps * step_s);
    }
    for (std::size_t p = 0; p < v.propellants.size(); ++p) {
        if (a.fuel_used_kg[p] > 0) {
            rt_.set_propellant_mass_kg(index_, p, std::max(v.propellants[p].mass_kg - a.fuel_used_kg[p], 0.0));
        }
    }
    // At rest on all points and nothing pushing: the host holds it still
    // exactly, as the simulator does with a landed vessel.
    if (!parked_ && report_.contacts == kTouchdownPoints && Length(body_.velocity_mps) < 0.05 &&
        Length(body_.omega_radps) < 0.02 && !Driven(a)) {
        still_s_ += step_s;
        if (still_s_ >= 0.5) {
            parked_ = true;
            body_.velocity_mps = {};
            body_.omega_radps = {};
        }
    } else if (!parked_) {
        still_s_ = 0;
    }
    Moved();
}

// Rolling friction along the wheels and side friction across them, as
// impulses on the velocities the step's other forces left. Each impulse at
// most stops its point's sliding, with the point's effective mass (rotation
// included: a force on the far nose wheel turns more than it pushes), and a
// point's total stays within friction x normal load x step. So friction only
// removes kinetic energy.
void FlightModel::Friction(double step_s, const Accum& a, Vec3 inertia_kgm2) {
    const host::VesselState& v = *vessel_;
    const double m_kg = mass_kg();
    const Mat3& to_world = this->to_world();  // the attitude has not moved yet
    Vec3 fwd{to_world.c2.x, 0, to_world.c2.z};
    double fl = Length(fwd);
    if (fl < 1e-6) {
        fwd = Vec3{to_world.c1.x, 0, to_world.c1.z};
        fl = Length(fwd);
    }
    const Vec3 along = fl > 1e-9 ? fwd * (1.0 / fl) : Vec3{0, 0, 1};
    const Vec3 across{along.z, 0, -along.x};
    const Vec3 inv_i{inertia_kgm2.x > 0 ? 1.0 / inertia_kgm2.x : 0.0, inertia_kgm2.y > 0 ? 1.0 / inertia_kgm2.y : 0.0,
                     inertia_kgm2.z > 0 ? 1.0 / inertia_kgm2.z : 0.0};
    FrictionRow rows[kTouchdownPoints * kFrictionDirections];
    int n = 0;
    for (int i = 0; i < kTouchdownPoints; ++i) {
        if (!(a.normal_n[i] > 0)) continue;
        const Vec3 p_m{v.touchdown_m[i].x, v.touchdown_m[i].y, v.touchdown_m[i].z};
        // The two rear points carry the brakes.
        const double mu_along = options_.rolling_friction +
                                (i >= 1 ? std::clamp(controls_.brakes, 0.0, 1.0) * options_.brake_friction : 0.0);
        const double mu[kFrictionDirections] = {mu_along, options_.side_friction};
        const Vec3 dirs[kFrictionDirections] = {along, across};
        for (int k = 0; k < kFrictionDirections; ++k) {
            FrictionRow& r = rows[n++];
            r.point_m = p_m;
            r.dir = dirs[k];
            r.arm = Cross(p_m, to_world.TransposeTimes(dirs[k]));
            r.inv_mass_per_kg =
                1.0 / m_kg + r.arm.x * r.arm.x * inv_i.x + r.arm.y * r.arm.y * inv_i.y + r.arm.z * r.arm.z * inv_i.z;
            r.limit_ns = std::max(mu[k], 0.0) * a.normal_n[i] * step_s;
        }
    }
    // The solve's order favours the points taken first, which would yaw or
    // roll a symmetric aircraft; the mean of it and its mirror order does
    // not, and it still only removes energy (kinetic energy is convex).
    Vec3 v_sum, w_sum;
    const int orders = n >= 4 ? 2 : 1;
    for (int order = 0; order < orders; ++order) {
        Vec3 vel = body_.velocity_mps, omega = body_.omega_radps;
        SolveFriction(rows, n, order == 1, to_world, m_kg, inv_i, vel, omega);
        v_sum += vel;
        w_sum += omega;
    }
    body_.velocity_mps = v_sum * (1.0 / orders);
    body_.omega_radps = w_sum * (1.0 / orders);
}

}  // namespace host::flight
