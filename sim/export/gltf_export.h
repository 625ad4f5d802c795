// The vessel's meshes as glTF 2.0 binary (.glb), with the vessel's animations,
// built from what the module registered with the host (docs/export.md).
//
// Wiring (for instance, a page that embeds the aircraft):
//     VesselScene scene(SceneOptions{});   // loads the module, creates a vessel
//     std::vector<std::uint8_t> glb = ExportGlb(scene, MeshChoice::exterior);
#ifndef VANTOREL_SIM_EXPORT_GLTF_EXPORT_H
#define VANTOREL_SIM_EXPORT_GLTF_EXPORT_H

#include <cstdint>
#include <vector>

#include "render/vessel_scene.h"
#include "render/views.h"

namespace vantorel_sim {

// The mesh `choice` names, as the vessel holds it (the lit cockpit after the
// light key), in one .glb: a node per group under the pivots of the
// components that move it, the mesh's materials, and one animation per
// vessel animation that moves a group of this mesh, its time being the
// animation's state. The nodes' own transforms are the rest pose (every
// animation at its initial state). The scene's animations are left at their
// initial states and the lights as `choice` needs them.
// Throws SceneError or host::mesh::MeshError for a mesh or module that cannot
// be used, std::length_error for a mesh too big for the format.
std::vector<std::uint8_t> ExportGlb(VesselScene& scene, MeshChoice choice);

}  // namespace vantorel_sim

#endif
