// One vessel of the module, created through the stand-in host, with its
// meshes read from the asset folder and posed by the animations the module
// registered. The renderer and the asset checker both look through this.
#ifndef VANTOREL_SIM_RENDER_VESSEL_SCENE_H
#define VANTOREL_SIM_RENDER_VESSEL_SCENE_H

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "mesh/mesh_file.h"
#include "runtime/host_runtime.h"

namespace vantorel_sim {

// The module, a mesh or an asset folder that cannot be used; says which and why.
class SceneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SceneOptions {
    // Folder holding Meshes/ and Sound/ (an install root or the source assets);
    // empty: the host's default.
    std::string asset_dir;
    // Empty: <asset_dir>/Modules/Vantorel.so when there is one, else the module
    // built with the runner.
    std::string module_path;
    // Loaded before the module when set, as the simulator does: without it the
    // module logs the missing library into the current folder.
    std::string sound_library_path;
};

class VesselScene {
public:
    explicit VesselScene(const SceneOptions& options);
    ~VesselScene();
    VesselScene(const VesselScene&) = delete;
    VesselScene& operator=(const VesselScene&) = delete;

    const host::VesselState& vessel() const;
    const std::string& asset_dir() const { return asset_dir_; }
    const std::string& module_path() const { return module_path_; }

    // Animation `anim` (the host's number, the layout's index) to `state`.
    void SetState(unsigned anim, double state);
    // Every animation back to the state it was created with.
    void ResetStates();
    // Turns the cockpit lights on or off with the vessel's own key, so the
    // module swaps in the cockpit mesh it chose.
    void SetLights(bool on);

    // The file of the mesh the vessel holds at `mesh_index`.
    std::string MeshPath(unsigned mesh_index) const;
    // The vessel's offset of that mesh (metres).
    host::mesh::Vec3 MeshOffset(unsigned mesh_index) const;
    // As stored in the file (read once and kept).
    const host::mesh::Mesh& StoredMesh(unsigned mesh_index);
    // As the host shows it at the current animation states.
    host::mesh::Mesh PosedMesh(unsigned mesh_index);

private:
    std::unique_ptr<host::Runtime> runtime_;
    std::string asset_dir_;
    std::string module_path_;
    int vessel_ = -1;
    bool lights_ = false;
    std::map<std::string, host::mesh::Mesh> meshes_;  // by path
};

// Parses "name=state" with a name of the layout's animations; returns the
// animation index. Throws std::invalid_argument with a message naming the fault.
std::pair<unsigned, double> ParseStateAssignment(const std::string& text);

}  // namespace vantorel_sim

#endif
