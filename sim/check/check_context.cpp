#include <algorithm>
#include <cstdio>
#include <set>

#include "check/asset_check.h"
#include "vantorel/vessel_layout.h"
#include "mesh/mesh_pose.h"

namespace vantorel_sim::check {

namespace layout = vantorel::layout;

namespace {

Vec3 ToVec(const VECTOR3& v) { return {v.x, v.y, v.z}; }

std::vector<Part> ReadParts(const host::VesselState& v) {
    std::vector<Part> parts;
    for (std::size_t i = 0; i < v.components.size(); ++i) {
        const host::AnimComponentRec& rec = v.components[i];
        if (rec.transform == nullptr) continue;
        Part p{};
        p.index = i;
        p.anim = rec.anim;
        p.anim_name = rec.anim < layout::kAnimationNames.size() ? std::string(layout::kAnimationNames[rec.anim])
                                                                : "animation " + std::to_string(rec.anim);
        p.mesh = rec.transform->mesh;
        if (rec.transform->grp != nullptr) p.groups.assign(rec.transform->grp, rec.transform->grp + rec.transform->ngrp);
        p.state0 = rec.state0;
        p.state1 = rec.state1;
        p.rotation = rec.transform->Type() == MGROUP_TRANSFORM::ROTATE;
        if (p.rotation) {
            const auto* r = static_cast<const MGROUP_ROTATE*>(rec.transform);
            p.ref = ToVec(r->ref);
            p.axis = host::mesh::Normalised(ToVec(r->axis));
            p.angle_rad = r->angle;
        } else if (rec.transform->Type() == MGROUP_TRANSFORM::TRANSLATE) {
            p.shift = ToVec(static_cast<const MGROUP_TRANSLATE*>(rec.transform)->shift);
        }
        parts.push_back(std::move(p));
    }
    return parts;
}

}  // namespace

std::string Metres(double m) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f m", m);
    return buf;
}

std::string Where(unsigned group, const Part& part) {
    return "group " + std::to_string(group) + " (component " + std::to_string(part.index + 1) + ", " +
           part.anim_name + ")";
}

CheckContext::CheckContext(VesselScene& scene, Tolerances tolerances)
    : scene_(scene), tol_(tolerances), parts_(ReadParts(scene.vessel())) {
    auto load = [&](std::optional<host::mesh::Mesh>& slot, unsigned index, const char* what) {
        try {
            slot = scene_.StoredMesh(index);
        } catch (const std::exception& e) {
            load_findings_.push_back({1, std::string(what) + " mesh: " + e.what()});
        }
    };
    load(exterior_, layout::kExteriorMesh, "exterior");
    load(cockpit_, layout::kCockpitMesh, "cockpit");
    try {
        scene_.SetLights(true);
    } catch (const std::exception& e) {
        load_findings_.push_back({1, std::string("lighting the cockpit: ") + e.what()});
    }
    load(cockpit_lit_, layout::kCockpitMesh, "lit cockpit");
    scene_.SetLights(false);
}

const host::mesh::Mesh* CheckContext::Stored(unsigned mesh) const {
    if (mesh == layout::kExteriorMesh) return exterior();
    if (mesh == layout::kCockpitMesh) return cockpit();
    return nullptr;
}

std::vector<Triangle> CheckContext::PosedTriangles(unsigned mesh,
                                                   const std::vector<std::pair<unsigned, double>>& states,
                                                   const std::vector<unsigned>& groups) {
    scene_.ResetStates();
    for (const auto& [anim, s] : states) scene_.SetState(anim, s);
    const host::mesh::Mesh& m = *Stored(mesh);
    const std::vector<host::mesh::Affine> moves = host::mesh::GroupTransforms(vessel(), mesh, m.groups.size());
    std::vector<Triangle> out;
    for (unsigned g : groups) {
        if (g >= m.groups.size()) continue;
        const auto& grp = m.groups[g];
        const host::mesh::Affine& t = moves[g];
        for (const auto& tri : grp.triangles)
            out.push_back({t.Apply(grp.vertices[tri[0]].pos_m), t.Apply(grp.vertices[tri[1]].pos_m),
                           t.Apply(grp.vertices[tri[2]].pos_m)});
    }
    return out;
}

std::vector<const Part*> CheckContext::PartsOf(const char* anim_name) const {
    std::vector<const Part*> out;
    for (const Part& p : parts_)
        if (p.anim_name == anim_name) out.push_back(&p);
    return out;
}

std::vector<unsigned> CheckContext::StaticGroups(unsigned mesh) const {
    const host::mesh::Mesh* m = Stored(mesh);
    if (m == nullptr) return {};
    std::set<unsigned> moving;
    for (const Part& p : parts_)
        if (p.mesh == mesh) moving.insert(p.groups.begin(), p.groups.end());
    std::vector<unsigned> out;
    for (unsigned g = 0; g < m->groups.size(); ++g)
        if (!moving.count(g)) out.push_back(g);
    return out;
}

const StaticFaces& CheckContext::Statics(unsigned mesh) {
    auto it = statics_.find(mesh);
    if (it == statics_.end()) {
        StaticFaces s;
        if (const host::mesh::Mesh* m = Stored(mesh)) {
            const std::vector<unsigned> groups = StaticGroups(mesh);
            s.faces = TriangleIndex(TrianglesOf(*m, groups));
            for (unsigned g : groups) s.group.insert(s.group.end(), m->groups[g].triangles.size(), g);
        }
        it = statics_.emplace(mesh, std::move(s)).first;
    }
    return it->second;
}

bool CheckContext::IsWheel(const Part& p) const { return p.anim_name == layout::Name(layout::Animation::wheel_roll); }

std::vector<Finding> CheckAll(CheckContext& c) {
    std::vector<Finding> all = c.load_findings();
    const bool meshes = c.exterior() != nullptr && c.cockpit() != nullptr;
    if (meshes) {
        int number = 0;
        for (auto rule : {CheckGroups, CheckPivots, CheckTouchdown, CheckGearStowed, CheckMotion, CheckInstruments}) {
            c.StartRule(++number);
            auto found = rule(c);
            all.insert(all.end(), found.begin(), found.end());
        }
    }
    c.StartRule(7);
    auto waves = CheckWaves(c.scene().asset_dir());
    all.insert(all.end(), waves.begin(), waves.end());
    return all;
}

}  // namespace vantorel_sim::check
