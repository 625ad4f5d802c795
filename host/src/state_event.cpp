// The state event: one JSON line per vessel with what the module set that
// the calls alone do not show (animation states, drag values read through
// their pointers, beacon switches) and the values in force.
#include "src/runtime_impl.h"
#include "src/trace_format.h"
#include "src/trace_state.h"

namespace host {

namespace {

// A JSON list of n elements; put(out, i) writes element i.
template <class Put>
void put_list(std::string& b, std::size_t n, Put put) {
    b += '[';
    for (std::size_t i = 0; i < n; ++i) {
        if (i) b += ", ";
        put(b, i);
    }
    b += ']';
}

void put_definition_values(std::string& b, const VesselState& v) {
    b += "\"anim\": ";
    put_list(b, v.animations.size(), [&](std::string& o, std::size_t i) { detail::put_double(o, v.animations[i].state); });
    b += ", \"drag\": ";
    put_list(b, v.drag_elements.size(), [&](std::string& o, std::size_t i) {
        if (v.drag_elements[i].var != nullptr) {
            detail::put_double(o, *v.drag_elements[i].var);
        } else {
            o += "null";
        }
    });
    b += ", \"beacons\": ";
    put_list(b, v.beacons.size(), [&](std::string& o, std::size_t i) {
        o += v.beacons[i] == nullptr ? "null" : v.beacons[i]->active ? "true" : "false";
    });
    b += ", \"touchdown\": ";
    put_list(b, 3, [&](std::string& o, std::size_t i) { detail::put_vec(o, v.touchdown_m[i]); });
    b += ", \"cw\": ";
    put_list(b, 4, [&](std::string& o, std::size_t i) { detail::put_double(o, v.cw[i]); });
    b += ", \"thrust_max\": ";
    put_list(b, v.thrusters.size(), [&](std::string& o, std::size_t i) { detail::put_double(o, v.thrusters[i].max_thrust0_n); });
    b += ", \"ctrl\": ";
    put_list(b, 6, [&](std::string& o, std::size_t i) { detail::put_double(o, v.ctrl_level[i]); });
}

}  // namespace

void Runtime::write_state_event(int index) {
    const VesselState& v = impl_->living_or_throw("write_state_event", index);
    if (!trace::detail::sink_present()) return;
    std::string& b = trace::detail::state().buf;
    b += "{\"frame\": ";
    detail::put_int(b, trace::frame());
    b += ", \"vessel\": ";
    detail::put_int(b, v.index);
    b += ", \"state\": {";
    put_definition_values(b, v);
    b += ", \"camera_offset\": ";
    detail::put_vec(b, v.camera_offset_m);
    b += ", \"fuel\": ";
    if (v.propellants.empty()) {
        b += "null";
    } else {
        detail::put_double(b, v.propellants[0].mass_kg);
    }
    b += ", \"time_acc\": ";
    detail::put_double(b, next_time_acceleration());
    b += ", \"meshes\": ";
    put_list(b, v.meshes.size(), [&](std::string& o, std::size_t i) {
        o += '[';
        detail::put_handle(o, v.meshes[i].mesh);
        o += ", ";
        detail::put_int(o, v.meshes[i].visibility);
        o += ']';
    });
    b += "}}\n";
    trace::detail::finish_event();
}

}  // namespace host
