#include "export/component_keys.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "mesh/mesh_pose.h"

namespace vantorel_sim::gltf {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLargestStep_rad = kPi / 2;

// glTF times are single precision: a state is taken as the float it becomes.
double AsFloat(double s) { return static_cast<double>(static_cast<float>(s)); }

}  // namespace

std::vector<double> KeyStates(const host::VesselState& v, std::size_t component) {
    const host::AnimComponentRec& c = v.components.at(component);
    std::vector<double> states = {0.0, 1.0};
    for (double s : {c.state0, c.state1})
        if (s > 0.0 && s < 1.0) states.push_back(AsFloat(s));
    // A range of zero length jumps at its start: a key just before holds the old value.
    if (c.state0 == c.state1 && c.state0 > 0.0 && c.state0 <= 1.0)
        states.push_back(std::nextafter(static_cast<float>(AsFloat(c.state0)), 0.0f));
    std::sort(states.begin(), states.end());
    states.erase(std::unique(states.begin(), states.end()), states.end());
    if (c.transform->Type() != MGROUP_TRANSFORM::ROTATE) return states;

    const double angle_rad = static_cast<const MGROUP_ROTATE*>(c.transform)->angle;
    std::vector<double> keys = {states.front()};
    for (std::size_t i = 1; i < states.size(); ++i) {
        const double a = states[i - 1], b = states[i];
        const double turn = std::abs(angle_rad) * std::abs(host::mesh::LocalState(b, c.state0, c.state1) -
                                                            host::mesh::LocalState(a, c.state0, c.state1));
        // A full turn stored in single precision is a hair over 2 pi: not a reason for a fifth step.
        const int steps = std::max(1, static_cast<int>(std::ceil(turn / kLargestStep_rad - 1e-6)));
        for (int k = 1; k < steps; ++k) keys.push_back(AsFloat(a + (b - a) * k / steps));
        keys.push_back(b);
    }
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

ComponentKeys KeysOf(VesselScene& scene, std::size_t component) {
    const host::VesselState& v = scene.vessel();
    const host::AnimComponentRec& c = v.components.at(component);
    ComponentKeys keys;
    keys.rotation = c.transform->Type() == MGROUP_TRANSFORM::ROTATE;
    keys.states = KeyStates(v, component);
    for (double s : keys.states) {
        scene.SetState(c.anim, s);
        keys.transforms.push_back(host::mesh::OwnTransform(scene.vessel(), component));
    }
    scene.SetState(c.anim, v.animations[c.anim].initial_state);
    return keys;
}

}  // namespace vantorel_sim::gltf
