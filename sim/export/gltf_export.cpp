#include "export/gltf_export.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "common/text_escape.h"
#include "vantorel/vessel_layout.h"
#include "export/component_keys.h"
#include "export/glb_builder.h"
#include "export/gltf_frame.h"
#include "export/node_tree.h"

namespace vantorel_sim {

namespace {

using gltf::Float3;
using Json = nlohmann::json;
namespace mesh = host::mesh;
namespace layout = vantorel::layout;

Float3 AsFloat3(const std::array<double, 3>& v) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

// The layout's name for a group it names, else the group's label.
std::string GroupName(const mesh::Mesh& m, unsigned mesh_index, std::size_t g) {
    if (mesh_index == layout::kCockpitMesh) {
        if (g == layout::kLeftDisplayGroup) return "left_display";
        if (g == layout::kRightDisplayGroup) return "right_display";
        if (g == layout::kThirdDisplayGroup) return "third_display";
        if (g == layout::kHudGroup) return "hud";
    }
    const std::string& label = m.groups[g].label;
    return label.empty() ? "group_" + std::to_string(g) : ToValidUtf8(label);
}

std::string AnimationName(unsigned anim) {
    if (anim < layout::kAnimationNames.size()) return std::string(layout::kAnimationNames[anim]);
    return "animation_" + std::to_string(anim);
}

double Unit(double x) { return std::clamp(x, 0.0, 1.0); }

// Base colour and alpha from the diffuse colour, blended when see-through;
// the emissive colour as is; roughness from the specular power (the usual
// Blinn-Phong to microfacet match), no metal.
Json MaterialJson(const mesh::Material& m) {
    const double roughness = m.specular_power > 0 ? std::sqrt(2.0 / (m.specular_power + 2.0)) : 1.0;
    Json pbr = {{"baseColorFactor", {Unit(m.diffuse[0]), Unit(m.diffuse[1]), Unit(m.diffuse[2]), Unit(m.diffuse[3])}},
                {"metallicFactor", 0.0},
                {"roughnessFactor", Unit(roughness)}};
    Json j = {{"name", ToValidUtf8(m.name)}, {"pbrMetallicRoughness", pbr}};
    if (m.emissive[0] > 0 || m.emissive[1] > 0 || m.emissive[2] > 0)
        j["emissiveFactor"] = {Unit(m.emissive[0]), Unit(m.emissive[1]), Unit(m.emissive[2])};
    if (m.diffuse[3] < 1.0) j["alphaMode"] = "BLEND";
    return j;
}

// Unit normals in glTF's frame: the file's, or where it has none (or a zero
// one) the area-weighted normal of the vertex's triangles. In the vessel
// frame (b - a) x (c - a) points out of a front face.
std::vector<Float3> NormalsOf(const mesh::Group& g) {
    std::vector<mesh::Vec3> sum(g.vertices.size());
    for (const auto& t : g.triangles) {
        const mesh::Vec3 a = g.vertices[t[0]].pos_m, b = g.vertices[t[1]].pos_m, c = g.vertices[t[2]].pos_m;
        const mesh::Vec3 n = mesh::Cross(b - a, c - a);
        for (unsigned i : t) sum[i] = sum[i] + n;
    }
    std::vector<Float3> out;
    out.reserve(g.vertices.size());
    for (std::size_t i = 0; i < g.vertices.size(); ++i) {
        mesh::Vec3 n = g.no_normal ? mesh::Vec3{} : mesh::Normalised(g.vertices[i].normal);
        if (mesh::Length(n) == 0) n = mesh::Normalised(sum[i]);
        if (mesh::Length(n) == 0) n = {0, 1, 0};
        out.push_back(AsFloat3(gltf::ToGltf(n)));
    }
    return out;
}

// One mesh of one primitive for the group, or -1 for a group with nothing to draw.
int AddGroupMesh(gltf::GlbBuilder& b, const mesh::Group& g, int material, const std::string& name) {
    if (g.vertices.empty() || g.triangles.empty()) return -1;
    std::vector<Float3> positions;
    positions.reserve(g.vertices.size());
    for (const auto& v : g.vertices) positions.push_back(AsFloat3(gltf::ToGltf(v.pos_m)));
    std::vector<std::uint32_t> indices;
    indices.reserve(g.triangles.size() * 3);
    for (const auto& t : g.triangles) indices.insert(indices.end(), {t[0], t[2], t[1]});  // the mirror's winding
    const auto [pos, nrm] = b.AddVertices(positions, NormalsOf(g));
    Json prim = {{"attributes", {{"POSITION", pos}, {"NORMAL", nrm}}},
                 {"indices", b.AddIndices(indices, g.vertices.size())},
                 {"material", material}};
    b.doc()["meshes"].push_back({{"name", name}, {"primitives", Json::array({prim})}});
    return static_cast<int>(b.doc()["meshes"].size() - 1);
}

// The mesh's materials in order, and after them the host's default (white)
// when a group has none.
std::vector<int> AddMaterials(gltf::GlbBuilder& b, const mesh::Mesh& m) {
    std::vector<int> by_group;
    const int fallback = static_cast<int>(m.materials.size());
    for (const auto& mat : m.materials) b.doc()["materials"].push_back(MaterialJson(mat));
    for (const auto& g : m.groups) by_group.push_back(m.material_of(g) ? static_cast<int>(g.material) - 1 : fallback);
    if (std::find(by_group.begin(), by_group.end(), fallback) != by_group.end()) {
        mesh::Material white;
        white.name = "default";
        b.doc()["materials"].push_back(MaterialJson(white));
    }
    return by_group;
}

}  // namespace

namespace {

// Node names are made unique (a viewer binds animation tracks by name): a
// repeat gets "_2", "_3", ...
class UniqueNames {
public:
    std::string Take(const std::string& name) {
        std::string out = name;
        for (int n = 2; !taken_.insert(out).second; ++n) out = name + "_" + std::to_string(n);
        return out;
    }

private:
    std::set<std::string> taken_;
};

void AddNodes(gltf::GlbBuilder& b, VesselScene& scene, unsigned mesh_index, const std::vector<gltf::TreeNode>& tree) {
    const mesh::Mesh& m = scene.StoredMesh(mesh_index);
    const std::vector<int> materials = AddMaterials(b, m);
    const auto& v = scene.vessel();
    UniqueNames names;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const gltf::TreeNode& t = tree[i];
        Json node = Json::object();
        if (i == 0) {
            node["name"] = names.Take(ToValidUtf8(std::filesystem::path(scene.MeshPath(mesh_index)).stem().string()));
            if (mesh::Length(scene.MeshOffset(mesh_index)) > 0)
                node["translation"] = gltf::ToGltf(scene.MeshOffset(mesh_index));
        } else if (t.component >= 0) {
            const auto c = static_cast<std::size_t>(t.component);
            node["name"] = names.Take(AnimationName(v.components[c].anim) + "_component_" + std::to_string(c + 1));
            node["extras"] = {{"component", c + 1}};
        } else {
            const auto g = static_cast<std::size_t>(t.group);
            node["name"] = names.Take(GroupName(m, mesh_index, g));
            node["extras"] = {{"group", g}};
            const int mesh_id = AddGroupMesh(b, m.groups[g], materials[g], node["name"]);
            if (mesh_id >= 0) node["mesh"] = mesh_id;
        }
        if (i != 0 && mesh::Length(t.translation_m) > 0) node["translation"] = gltf::ToGltf(t.translation_m);
        if (!t.children.empty()) node["children"] = t.children;
        b.doc()["nodes"].push_back(std::move(node));
    }
}

// A pivot's key values in glTF's frame: quaternions, each on the side of the
// previous one so that the interpolation between them turns the short way
// the host turns; or translations.
std::vector<float> KeyValues(const gltf::ComponentKeys& k) {
    std::vector<float> out;
    std::array<double, 4> last{0, 0, 0, 1};
    for (const mesh::Affine& a : k.transforms) {
        if (!k.rotation) {
            for (double x : gltf::ToGltf(a.t)) out.push_back(static_cast<float>(x));
            continue;
        }
        std::array<double, 4> q = gltf::GltfQuaternion(a);
        if (q[0] * last[0] + q[1] * last[1] + q[2] * last[2] + q[3] * last[3] < 0)
            for (double& x : q) x = -x;
        for (double x : q) out.push_back(static_cast<float>(x));
        last = q;
    }
    return out;
}

struct Sampler {
    int input, output;
    bool rotation;
};

// The component's keys as accessors; the key times shared where they agree.
Sampler AddSampler(gltf::GlbBuilder& b, VesselScene& scene, std::size_t component,
                   std::map<std::vector<float>, int>& time_accessors) {
    const gltf::ComponentKeys keys = gltf::KeysOf(scene, component);
    const std::vector<float> times(keys.states.begin(), keys.states.end());
    auto t = time_accessors.find(times);
    if (t == time_accessors.end()) t = time_accessors.emplace(times, b.AddKeyTimes(times)).first;
    return {t->second, b.AddKeyValues(KeyValues(keys), keys.rotation ? 4 : 3), keys.rotation};
}

void AddAnimations(gltf::GlbBuilder& b, VesselScene& scene, const std::vector<gltf::TreeNode>& tree) {
    std::map<std::vector<float>, int> time_accessors;
    std::map<std::size_t, Sampler> samplers;  // by component
    std::map<unsigned, Json> animations;      // by the host's animation number
    for (std::size_t n = 0; n < tree.size(); ++n) {
        if (tree[n].component < 0) continue;
        const auto c = static_cast<std::size_t>(tree[n].component);
        auto s = samplers.find(c);
        if (s == samplers.end()) s = samplers.emplace(c, AddSampler(b, scene, c, time_accessors)).first;
        Json& a = animations[scene.vessel().components[c].anim];
        a["samplers"].push_back(
            {{"input", s->second.input}, {"output", s->second.output}, {"interpolation", "LINEAR"}});
        a["channels"].push_back(
            {{"sampler", a["samplers"].size() - 1},
             {"target", {{"node", n}, {"path", s->second.rotation ? "rotation" : "translation"}}}});
    }
    for (auto& [anim, a] : animations) {
        a["name"] = AnimationName(anim);
        a["extras"] = {{"initial_state", scene.vessel().animations[anim].initial_state}};
        b.doc()["animations"].push_back(std::move(a));
    }
}

}  // namespace

std::vector<std::uint8_t> ExportGlb(VesselScene& scene, MeshChoice choice) {
    scene.ResetStates();
    scene.SetLights(choice == MeshChoice::cockpit_lit);
    const unsigned index = choice == MeshChoice::exterior ? layout::kExteriorMesh : layout::kCockpitMesh;
    const mesh::Mesh& m = scene.StoredMesh(index);
    const std::vector<gltf::TreeNode> tree = gltf::BuildNodeTree(scene.vessel(), index, m.groups.size());

    gltf::GlbBuilder b;
    b.doc()["asset"] = {{"version", "2.0"},
                        {"generator", "vantorel-sim export"},
                        {"extras", {{"frame", "metres; +X the vessel's right, +Y up, the nose toward -Z"}}}};
    b.doc()["scene"] = 0;
    b.doc()["scenes"] = Json::array({{{"nodes", {0}}}});
    AddNodes(b, scene, index, tree);
    AddAnimations(b, scene, tree);
    return b.Finish();
}

}  // namespace vantorel_sim
