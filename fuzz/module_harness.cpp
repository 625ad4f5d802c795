#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "harness.h"
#include "lifecycle/module_entry.h"
#include "lifecycle/vessel_state.h"
#include "runtime/host_runtime.h"
#include "sound/sound_connector.h"

namespace vantorel_fuzz {

namespace {

// More would only slow each input down; two already share the module's state.
constexpr std::size_t MAX_VESSELS = 3;
constexpr int MAX_FRAMES_PER_OP = 500;

enum Op : std::uint8_t {
    CREATE,
    DESTROY,
    FRAME,
    FRAMES,
    KEY,
    LOAD_VC,
    READING,
    FOCUS,
    OP_COUNT
};

enum Reading : std::uint8_t {
    AIRSPEED,
    ALTITUDE,
    AOA,
    BANK,
    GROUND_CONTACT,
    THRUSTER_LEVEL,
    FUEL_MASS,
    TIME_ACCELERATION,
    RUDDER,
    FLAP_LEVEL,
    FOCUS_HEADING,
    CAMERA_INTERNAL,
    READING_COUNT
};

std::string CheckChannel(const char* name, int status, double pos) {
    if (status != 0 && status != 1 && status != 2) return std::string(name) + " status " + std::to_string(status);
    if (!(pos >= 0.0 && pos <= 1.0)) return std::string(name) + " position " + std::to_string(pos);
    return {};
}

std::string CheckSwitch(const char* name, double v) {
    if (v != 0.0 && v != 1.0) return std::string(name) + " = " + std::to_string(v);
    return {};
}

// The rules the state record keeps whatever the host reports.
std::string CheckState() {
    const vantorel::ModuleState& s = vantorel::shared_state;
    for (std::string fault : {CheckChannel("gear", s.gear_status, s.gear_pos),
                              CheckChannel("gear lever", s.gear_lever_status, s.gear_lever_pos),
                              CheckChannel("canopy", s.canopy_status, s.canopy_pos),
                              CheckChannel("flaps", s.flap_status, s.flap_pos),
                              CheckSwitch("lights_on", s.lights_on),
                              CheckSwitch("lights_changed", s.lights_changed),
                              CheckSwitch("refuel_request", s.refuel_request)})
        if (!fault.empty()) return fault;
    return {};
}

int PickLiving(const host::Runtime& rt, Input& in) {
    const std::vector<int> living = rt.living();
    if (living.empty()) return -1;
    return living[in.byte() % living.size()];
}

void SetReading(host::Runtime& rt, Input& in) {
    const std::uint8_t which = in.byte() % READING_COUNT;
    const double v = in.reading();
    switch (which) {
        case AIRSPEED: rt.set_airspeed_mps(v); break;
        case ALTITUDE: rt.set_altitude_m(v); break;
        case AOA: rt.set_aoa_rad(v); break;
        case BANK: rt.set_bank_rad(v); break;
        case GROUND_CONTACT: rt.set_ground_contact(v != 0.0); break;
        case THRUSTER_LEVEL: rt.set_thruster_level(v); break;
        case FUEL_MASS: rt.set_fuel_mass_kg(v); break;
        case TIME_ACCELERATION: rt.set_time_acceleration(v); break;
        case RUDDER: rt.set_control_surface_level(AIRCTRL_RUDDER, v); break;
        case FLAP_LEVEL: rt.set_control_surface_level(AIRCTRL_FLAP, v); break;
        case FOCUS_HEADING:
            if (v != v)  // NaN here stands for "the host has no heading"
                rt.set_focus_heading_rad(std::nullopt);
            else
                rt.set_focus_heading_rad(v);
            break;
        case CAMERA_INTERNAL: rt.set_camera_internal(v != 0.0); break;
        default: break;
    }
}

void Frame(host::Runtime& rt, double& t) {
    rt.begin_frame();
    t += 0.02;
    rt.step(t, 0.02, 51544.5 + t / 86400.0);
}

}  // namespace

void ResetLinkedModule() {
    vantorel::shared_state = vantorel::ModuleState{};
    std::fill(std::begin(vantorel::SoundEntryTable), std::end(vantorel::SoundEntryTable), nullptr);
}

std::string RunModule(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::uint8_t setup = in.byte();

    // Every input starts from a freshly loaded module.
    ResetLinkedModule();
    host::Runtime rt;
    if (setup & 1) rt.load_sound_library(std::string(VANTOREL_BUILD_DIR) + "/lib/OrbiterSound.dll");
    rt.set_flight_model((setup >> 1) & 1);
    host::ModuleEntryPoints entry;
    entry.dll_main = DllMain;
    entry.ovc_init = ovcInit;
    entry.ovc_exit = ovcExit;
    entry.get_module_version = GetModuleVersion;
    rt.adopt_module(entry, "Vantorel.so");

    double t = 0;
    std::string fault = CheckState();
    while (fault.empty() && !in.empty()) {
        const std::uint8_t op = in.byte() % OP_COUNT;
        switch (op) {
            case CREATE:
                if (rt.living().size() < MAX_VESSELS) rt.create_vessel();
                break;
            case DESTROY:
                if (int v = PickLiving(rt, in); v >= 0) rt.destroy_vessel(v);
                break;
            case FRAME:
                Frame(rt, t);
                break;
            case FRAMES:
                for (int n = in.byte() % MAX_FRAMES_PER_OP + 1; n > 0 && fault.empty(); --n) {
                    Frame(rt, t);
                    fault = CheckState();
                }
                break;
            case KEY: {
                const DWORD code = in.byte() & 0x80 ? in.u32() : in.byte();
                rt.queue_key(code, in.byte() & 1);
                break;
            }
            case LOAD_VC: {
                const int v = PickLiving(rt, in);
                const int id = static_cast<int>(in.u32());
                if (v >= 0) rt.load_vc(v, id);
                break;
            }
            case READING:
                SetReading(rt, in);
                break;
            case FOCUS:
                if (int v = PickLiving(rt, in); v >= 0) rt.set_focus(v);
                break;
            default:
                break;
        }
        if (fault.empty()) fault = CheckState();
    }
    rt.destroy_all_vessels();
    return fault;
}

}  // namespace vantorel_fuzz
