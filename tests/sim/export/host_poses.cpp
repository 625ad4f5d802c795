// The host's own posed vertices, for the glTF exactness check: each line of
// standard input, "MESH [NAME=STATE]...", poses that mesh with those states
// (the rest at their initial states) by the host's rule. Standard output, in
// native byte order: the vessel's animation count (uint32), then per line the
// group count (uint32) and per group its vertex count (uint32) and the
// vertices' x y z as float32, in the vessel frame with the mesh's offset.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "vantorel/vessel_layout.h"
#include "render/vessel_scene.h"
#include "render/views.h"

namespace {

void Put(std::uint32_t v) { std::fwrite(&v, sizeof v, 1, stdout); }

void DumpPose(vantorel_sim::VesselScene& scene, const std::string& line) {
    std::istringstream words(line);
    std::string mesh_name, assignment;
    words >> mesh_name;
    const auto choice = vantorel_sim::MeshNamed(mesh_name);
    if (!choice) throw std::invalid_argument("unknown mesh '" + mesh_name + "'");
    scene.ResetStates();
    scene.SetLights(*choice == vantorel_sim::MeshChoice::cockpit_lit);
    while (words >> assignment) {
        const auto [anim, state] = vantorel_sim::ParseStateAssignment(assignment);
        scene.SetState(anim, state);
    }
    const bool exterior = *choice == vantorel_sim::MeshChoice::exterior;
    const unsigned index = exterior ? vantorel::layout::kExteriorMesh : vantorel::layout::kCockpitMesh;
    const host::mesh::Mesh posed = scene.PosedMesh(index);
    const host::mesh::Vec3 offset = scene.MeshOffset(index);
    Put(static_cast<std::uint32_t>(posed.groups.size()));
    for (const auto& g : posed.groups) {
        Put(static_cast<std::uint32_t>(g.vertices.size()));
        for (const auto& v : g.vertices) {
            const float xyz[3] = {static_cast<float>(v.pos_m.x + offset.x), static_cast<float>(v.pos_m.y + offset.y),
                                  static_cast<float>(v.pos_m.z + offset.z)};
            std::fwrite(xyz, sizeof xyz, 1, stdout);
        }
    }
}

}  // namespace

int main() {
    try {
        vantorel_sim::VesselScene scene(vantorel_sim::SceneOptions{});
        Put(static_cast<std::uint32_t>(scene.vessel().animations.size()));
        for (std::string line; std::getline(std::cin, line);)
            if (!line.empty()) DumpPose(scene, line);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "export_host_poses: %s\n", e.what());
        return 1;
    }
}
