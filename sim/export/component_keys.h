// Where a component's glTF keys go and what they hold, read through the host.
//
// Between two breakpoints of its range a component's own transform moves
// linearly in the animation state: a translation by a shift in proportion, a
// rotation by an angle in proportion about a fixed axis. glTF's LINEAR keys
// reproduce that exactly for translations, and for rotations as long as two
// neighbouring keys differ by less than half a turn (spherical interpolation
// takes the short way): a turn is cut into steps of at most a quarter.
#ifndef VANTOREL_SIM_EXPORT_COMPONENT_KEYS_H
#define VANTOREL_SIM_EXPORT_COMPONENT_KEYS_H

#include <cstddef>
#include <vector>

#include "render/vessel_scene.h"
#include "mesh/affine.h"

namespace vantorel_sim::gltf {

struct ComponentKeys {
    bool rotation = false;
    std::vector<double> states;                  // rising, within [0, 1], exact in single precision
    std::vector<host::mesh::Affine> transforms;  // the host's own transform of the component at each
};

// The states where keys go: 0, 1, the component's start and end, and the
// steps a rotation needs (see above).
std::vector<double> KeyStates(const host::VesselState& v, std::size_t component);

// Sets the component's animation to each key state through the host and reads
// the component's own transform there; the animation is put back to its
// initial state afterwards. The component must move (ComponentMoves).
ComponentKeys KeysOf(VesselScene& scene, std::size_t component);

}  // namespace vantorel_sim::gltf

#endif
