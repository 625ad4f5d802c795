// The stand-in host's flight model: a rigid body over flat ground, driven only
// by what the vessel module defined (mass, inertia, drag, airfoils, control
// surfaces, drag elements, thrusters, touchdown points) and what it sets or
// adds each step. One FlightModel flies one vessel of a host::Runtime.
//
// A frame covers time-acceleration x 1/frame_rate seconds of flight,
// integrated in substeps of at most 1/frame_rate; then the readings the module
// asks for are fed to the runtime and the module's step runs.
//
// Names: functions are CamelCase; the readings and accessors are named for the
// quantity they return, with its unit (airspeed_mps()); constants are kCamel.
#ifndef VANTOREL_FLIGHTMODEL_FLIGHT_MODEL_H
#define VANTOREL_FLIGHTMODEL_FLIGHT_MODEL_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "flightmodel/atmosphere.h"
#include "vector/vec.h"
#include "runtime/host_runtime.h"

namespace host::flight {

// What the pilot (or an autopilot) holds in hand, in the host's conventions:
// surface levels -1..1 as GetControlSurfaceLevel reports them. A surface on
// axis +x lifts along +y for a positive level, so a positive elevator level
// pushes the tail up (nose down) and a positive rudder level swings the nose
// right; a positive aileron level rolls to the left.
struct Controls {
    double main_throttle = 0;  // main-engine control, 0..1
    double elevator = 0;
    double aileron = 0;
    double rudder = 0;
    double elevator_trim = 0;
    double brakes = 0;  // wheel brakes on the two rear touchdown points, 0..1
};

struct BodyState {
    Vec3 position_m;      // world: x east, y up (height above the ground), z north
    Vec3 velocity_mps;    // world
    Quat attitude;        // vessel to world
    Vec3 omega_radps;     // angular velocity in the vessel frame
};

// What the last substep produced, for telemetry and tests.
struct ForceReport {
    double mass_kg = 0;
    double thrust_n = 0;        // sum of all thrusters
    double fuel_flow_kgps = 0;
    double lift_n = 0;          // airfoils and control surfaces, across the airflow
    double drag_n = 0;          // effective drag along the airflow (after the limit)
    double normal_load_n = 0;   // ground reaction, all points
    int contacts = 0;           // touchdown points on the ground
    double dynamic_pressure_pa = 0;
    double mach = 0;
};

struct FlightModelOptions {
    double frame_rate_hz = 60.0;
    double mjd_at_start = 51544.5;
    // Ground: natural frequency of the aircraft bouncing on its gear, damping ratio.
    double gear_frequency_radps = 12.0;
    double gear_damping_ratio = 0.8;
    double rolling_friction = 0.025;
    double brake_friction = 0.6;
    double side_friction = 3.0;
};

class FlightModel {
public:
    // Called before every substep with its length (an autopilot's hook).
    using SubstepHook = std::function<void(double step_s)>;

    // The vessel must exist and have had its class set up.
    FlightModel(host::Runtime& rt, int vessel, FlightModelOptions options = {});

    // At rest on the touchdown points in force, nose along the heading,
    // settled on its gear and with every reading fed.
    void PlaceOnGround(double heading_rad, double east_m = 0, double north_m = 0);
    // Level flight path at the given height and speed, body pitched up by
    // pitch_rad (the angle of attack) and banked by bank_rad (right wing down).
    void PlaceInFlight(double altitude_m, double airspeed_mps, double heading_rad, double pitch_rad = 0,
                       double bank_rad = 0);
    void SetState(const BodyState& s);

    Controls& controls() { return controls_; }
    const Controls& controls() const { return controls_; }

    // One frame: physics over the frame's length, readings, the module's step.
    // Returns the frame's length in seconds.
    double RunFrame(const SubstepHook& hook = nullptr);
    // Physics only, without the module (tests of the model itself).
    void Substep(double step_s);
    // Every reading the module asks for, from the current state.
    void FeedReadings();

    const BodyState& state() const { return body_; }
    const host::VesselState& vessel() const { return *vessel_; }
    host::Runtime& runtime() { return rt_; }
    int vessel_index() const { return index_; }
    const ForceReport& forces() const { return report_; }
    double sim_time_s() const { return sim_time_s_; }
    std::int64_t frames() const { return frames_; }
    bool parked() const { return parked_; }

    // Readings, computed from the state.
    double airspeed_mps() const;
    double altitude_m() const { return body_.position_m.y; }
    double vertical_speed_mps() const { return body_.velocity_mps.y; }
    double aoa_rad() const;
    double sideslip_rad() const;
    double pitch_rad() const;
    double bank_rad() const;     // positive: right wing down
    double heading_rad() const;  // 0 north, pi/2 east, in [0, 2 pi)
    bool ground_contact() const;  // a touchdown point at or below the ground
    double fuel_kg() const;
    double mass_kg() const;
    // Level the main-engine thrusters report (0 with an empty tank).
    double main_engine_level() const;
    // Where the touchdown point i is in the world.
    Vec3 touchdown_position_m(int i) const;
    // Vessel to world, for the current attitude.
    const Mat3& to_world() const;

    // The host keeps three touchdown points and this many propellant resources at most.
    static constexpr int kTouchdownPoints = 3;
    static constexpr std::size_t kMaxPropellants = 8;

private:
    // What one substep's force terms add up to.
    struct Accum {
        double normal_n[kTouchdownPoints] = {0, 0, 0};  // ground reaction per touchdown point
        Vec3 force_world_n;
        Vec3 torque_body_nm;
        Vec3 applied_world_n;    // everything but gravity and the ground
        Vec3 applied_torque_nm;  // its moment, vessel frame
        Vec3 rot_damping_nms;    // per axis, applied implicitly
        double fuel_used_kg[kMaxPropellants] = {0, 0, 0, 0, 0, 0, 0, 0};
    };
    struct Airflow;
    struct BodyLoads;
    struct GroundReaction;

    // The force terms, in the order they are summed (force_terms.cpp).
    void Forces(double step_s, Accum& a);
    void AirfoilForces(const Airflow& air, BodyLoads& loads) const;
    void StabilityMoments(const Airflow& air, BodyLoads& loads) const;
    void ControlSurfaceForces(const Airflow& air, BodyLoads& loads) const;
    void VariableDrag(const Airflow& air, BodyLoads& loads) const;
    void ApplyDrag(const Airflow& air, double m_kg, double step_s, BodyLoads& loads) const;
    Vec3 RotationalDamping(const Airflow& air) const;
    void ThrustAndFuel(const Atmosphere& atm, double step_s, BodyLoads& loads, Accum& a) const;
    void ModuleForces(BodyLoads& loads) const;
    static Vec3 Gravity(double m_kg);
    GroundReaction GroundSprings(const Mat3& to_world, double m_kg, double step_s, Accum& a) const;

    // Motion over a substep (integration.cpp).
    void Integrate(double step_s, const Accum& a);
    void Friction(double step_s, const Accum& a, Vec3 inertia_kgm2);
    bool Driven(const Accum& a) const;

    void Settle();
    void PushControls();
    void PushControl(AIRCTRL_TYPE type, double level);
    // The state changed: what was derived from it is computed again on next use.
    void Moved() { known_ = 0; }
    // Velocity in the vessel frame.
    const Vec3& velocity_body_mps() const;
    // No touchdown point can be at or below the ground: the body is higher
    // than its farthest point reaches, with a metre to spare for rounding.
    bool FarAboveGround() const;

    host::Runtime& rt_;
    int index_;
    // The runtime keeps a vessel's record at one address for its whole life
    // (and after, as a dead record): looked up once.
    const host::VesselState* vessel_;
    FlightModelOptions options_;
    Controls controls_;
    BodyState body_;
    ForceReport report_;
    double sim_time_s_ = 0;
    std::int64_t frames_ = 0;
    bool parked_ = false;
    double still_s_ = 0;
    std::vector<std::size_t> main_thrusters_;   // members of the main thruster group
    std::vector<int> thruster_propellant_;      // per thruster, -1: none
    std::vector<host::ForceRec> added_forces_;  // AddForce of the last step

    // Derived from body_ on first use after it changed (bits of known_).
    enum Known : unsigned { kMatrix = 1, kVelocityBody = 2, kFlowAoa = 4, kFlowSideslip = 8, kPitch = 16, kBank = 32, kHeading = 64 };
    mutable unsigned known_ = 0;
    mutable Mat3 to_world_;
    mutable Vec3 velocity_body_mps_;
    // atan2 of the body velocity as the airflow sees it, without the guard of a still vessel.
    mutable double flow_aoa_rad_ = 0, flow_sideslip_rad_ = 0;
    mutable double pitch_rad_ = 0, bank_rad_ = 0, heading_rad_ = 0;
    double flow_aoa() const;
    double flow_sideslip() const;
};

}  // namespace host::flight

#endif
