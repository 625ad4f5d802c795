// One vessel of the module, created through the stand-in host, with its
// meshes read from the asset folder and posed by the animations the module
// registered. The renderer and the asset checker both look through this.
#ifndef VANTOREL_SIM_RENDER_VESSEL_SCENE_H
#define VANTOREL_SIM_RENDER_VESSEL_SCENE_H

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "mesh/mesh_file.h"
#include "render/scratch_working_folder.h"
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

// The files a scene uses, resolved as it resolves them, before anything is
// loaded: for checking outputs against them first.
struct SceneFiles {
    std::string asset_dir;    // as given, or the host's default
    std::string module_path;  // as given, or <asset_dir>/Modules/Vantorel.so when there, or the runner's
};
// Throws SceneError when the asset folder does not exist.
SceneFiles ResolveSceneFiles(const SceneOptions& options);

// The module runs in a scratch current folder (render/scratch_working_folder.h)
// while the scene exists: relative paths do not resolve as the user's meanwhile.
class VesselScene {
public:
    explicit VesselScene(const SceneOptions& options);
    ~VesselScene();
    VesselScene(const VesselScene&) = delete;
    VesselScene& operator=(const VesselScene&) = delete;

    const host::VesselState& vessel() const;
    // Absolute, so it works from the scratch folder.
    const std::string& asset_dir() const { return asset_dir_; }
    // As the user gave them or the defaults, for messages.
    const SceneFiles& files() const { return files_; }
    // Every mesh file the module loaded (absolute): what the scene may read.
    std::vector<std::string> MeshFiles() const;

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
    SceneFiles files_;
    std::string asset_dir_;
    // Declared before the runtime: left only after the module is unloaded.
    std::optional<ScratchWorkingFolder> scratch_;
    std::unique_ptr<host::Runtime> runtime_;
    int vessel_ = -1;
    bool lights_ = false;
    std::map<std::string, host::mesh::Mesh> meshes_;  // by path
};

// Parses "name=state" with a name of the layout's animations; returns the
// animation index. Throws std::invalid_argument with a message naming the fault.
std::pair<unsigned, double> ParseStateAssignment(const std::string& text);

}  // namespace vantorel_sim

#endif
