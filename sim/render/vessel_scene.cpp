#include "render/vessel_scene.h"

#include <charconv>
#include <cmath>
#include <filesystem>

#include "common/library_paths.h"
#include "vantorel/vessel_layout.h"
#include "mesh/mesh_pose.h"

namespace vantorel_sim {

namespace fs = std::filesystem;
namespace layout = vantorel::layout;

namespace {

std::string ChooseModule(const SceneOptions& options, const std::string& asset_dir) {
    if (!options.module_path.empty()) return options.module_path;
    std::error_code ec;
    const fs::path installed = fs::path(asset_dir) / "Modules" / "Vantorel.so";
    if (fs::is_regular_file(installed, ec)) return installed.string();
    return DefaultModulePath();
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

SceneFiles ResolveSceneFiles(const SceneOptions& options) {
    SceneFiles files;
    files.asset_dir = options.asset_dir.empty() ? host::Runtime().mesh_dir() : options.asset_dir;
    std::error_code ec;
    if (!fs::is_directory(files.asset_dir, ec)) {
        throw SceneError("asset folder '" + files.asset_dir + "' " +
                         (fs::exists(files.asset_dir, ec) ? "is not a folder" : "does not exist"));
    }
    files.module_path = ChooseModule(options, files.asset_dir);
    return files;
}

VesselScene::VesselScene(const SceneOptions& options)
    : files_(ResolveSceneFiles(options)), asset_dir_(Absolute(files_.asset_dir)) {
    const std::string module_path = Absolute(files_.module_path);
    try {
        scratch_.emplace();
        runtime_ = std::make_unique<host::Runtime>();
        runtime_->set_mesh_dir(asset_dir_);
        if (!options.sound_library_path.empty()) runtime_->load_sound_library(Absolute(options.sound_library_path));
        runtime_->load_module(module_path);
        vessel_ = runtime_->create_vessel();
    } catch (const host::HostError& e) {
        throw SceneError(e.what());
    } catch (const std::runtime_error& e) {
        throw SceneError(e.what());
    }
}

VesselScene::~VesselScene() = default;

std::vector<std::string> VesselScene::MeshFiles() const { return runtime_->mesh_files(); }

const host::VesselState& VesselScene::vessel() const { return runtime_->vessel(vessel_); }

void VesselScene::SetState(unsigned anim, double state) {
    if (anim >= vessel().animations.size())
        throw SceneError("the vessel has no animation " + std::to_string(anim));
    runtime_->object(vessel_)->SetAnimation(anim, state);
}

void VesselScene::ResetStates() {
    const auto& animations = vessel().animations;
    for (std::size_t a = 0; a < animations.size(); ++a)
        runtime_->object(vessel_)->SetAnimation(static_cast<UINT>(a), animations[a].initial_state);
}

void VesselScene::SetLights(bool on) {
    if (on == lights_) return;
    // The key takes effect in the vessel's next step; the step may move
    // instruments, so the states are put back as they were.
    std::vector<double> states;
    for (const auto& a : vessel().animations) states.push_back(a.state);
    runtime_->queue_key(layout::kKeyLights, true);
    runtime_->run_frame(0.0, 0.02, 51544.5);
    for (std::size_t a = 0; a < states.size(); ++a)
        runtime_->object(vessel_)->SetAnimation(static_cast<UINT>(a), states[a]);
    lights_ = on;
}

std::string VesselScene::MeshPath(unsigned mesh_index) const {
    const auto& meshes = vessel().meshes;
    if (mesh_index >= meshes.size())
        throw SceneError("the vessel has no mesh " + std::to_string(mesh_index) + " (it added " +
                         std::to_string(meshes.size()) + ")");
    const MESHHANDLE h = meshes[mesh_index].mesh;
    if (h == nullptr)
        throw SceneError("mesh " + std::to_string(mesh_index) + ": the host found no file for it under '" +
                         asset_dir_ + "/Meshes'");
    std::string rel = runtime_->mesh_name(h);
    for (char& c : rel)
        if (c == '\\') c = '/';
    return (fs::path(asset_dir_) / "Meshes" / (rel + ".msh")).string();
}

host::mesh::Vec3 VesselScene::MeshOffset(unsigned mesh_index) const {
    const auto& m = vessel().meshes.at(mesh_index);
    return {m.offset_m.x, m.offset_m.y, m.offset_m.z};
}

const host::mesh::Mesh& VesselScene::StoredMesh(unsigned mesh_index) {
    const std::string path = MeshPath(mesh_index);
    auto it = meshes_.find(path);
    if (it == meshes_.end()) it = meshes_.emplace(path, host::mesh::ReadMeshFile(path)).first;
    return it->second;
}

host::mesh::Mesh VesselScene::PosedMesh(unsigned mesh_index) {
    host::mesh::Mesh m = StoredMesh(mesh_index);
    host::mesh::PoseMesh(vessel(), mesh_index, m);
    return m;
}

std::pair<unsigned, double> ParseStateAssignment(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos) throw std::invalid_argument("'" + text + "': expected NAME=STATE");
    const std::string name = text.substr(0, eq), value = text.substr(eq + 1);
    const auto anim = layout::AnimationNamed(name);
    if (!anim) {
        std::string known;
        for (auto n : layout::kAnimationNames) known += (known.empty() ? "" : ", ") + std::string(n);
        throw std::invalid_argument("'" + name + "' is not an animation of the vessel (known: " + known + ")");
    }
    double s = 0;
    const auto r = std::from_chars(value.data(), value.data() + value.size(), s);
    if (value.empty() || r.ec != std::errc() || r.ptr != value.data() + value.size() || !std::isfinite(s))
        throw std::invalid_argument("'" + text + "': the state must be a number");
    return {static_cast<unsigned>(layout::Index(*anim)), s};
}

}  // namespace vantorel_sim
