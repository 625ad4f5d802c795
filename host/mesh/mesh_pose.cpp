#include "mesh/mesh_pose.h"

#include <algorithm>
#include <string>

#include "runtime/trace.h"

namespace host::mesh {

namespace {

Vec3 ToVec(const VECTOR3& v) { return {v.x, v.y, v.z}; }

// A parent handle's position in its vessel's component list, as the host
// decodes it; -1 when the handle is not a component or no host is running.
long ComponentNumber(ANIMATIONCOMPONENT_HANDLE h) {
    const Runtime* rt = Runtime::current();
    return rt != nullptr ? rt->component_index(h) : -1;
}

}  // namespace

double LocalState(double s, double a, double b) {
    if (b == a) return s >= a ? 1.0 : 0.0;
    return std::clamp((s - a) / (b - a), 0.0, 1.0);
}

int ParentIndex(const VesselState& v, std::size_t component) {
    const ANIMATIONCOMPONENT_HANDLE h = v.components.at(component).parent;
    if (h == nullptr) return -1;
    const long n = ComponentNumber(h);
    if (n < 0 || static_cast<std::size_t>(n) >= component)
        throw MeshError("component " + std::to_string(component + 1) + ": parent " + trace::format_handle(h) +
                        " is not an earlier component");
    return static_cast<int>(n);
}

Affine OwnTransform(const VesselState& v, std::size_t component) {
    const AnimComponentRec& c = v.components.at(component);
    if (c.transform == nullptr || c.anim >= v.animations.size()) return Affine{};
    const AnimationRec& a = v.animations[c.anim];
    const double delta = LocalState(a.state, c.state0, c.state1) - LocalState(a.initial_state, c.state0, c.state1);
    switch (c.transform->Type()) {
        case MGROUP_TRANSFORM::ROTATE: {
            const auto* r = static_cast<const MGROUP_ROTATE*>(c.transform);
            return RotationAbout(ToVec(r->ref), Normalised(ToVec(r->axis)), static_cast<double>(r->angle) * delta);
        }
        case MGROUP_TRANSFORM::TRANSLATE: {
            const auto* t = static_cast<const MGROUP_TRANSLATE*>(c.transform);
            return Translation(ToVec(t->shift) * delta);
        }
        case MGROUP_TRANSFORM::NULLTRANSFORM: break;
    }
    return Affine{};
}

Affine ChainTransform(const VesselState& v, std::size_t component) {
    Affine t = OwnTransform(v, component);
    // Parents are earlier components, so the walk ends.
    for (int p = ParentIndex(v, component); p >= 0; p = ParentIndex(v, static_cast<std::size_t>(p)))
        t = Compose(OwnTransform(v, static_cast<std::size_t>(p)), t);
    return t;
}

std::vector<std::size_t> ComponentsOfMesh(const VesselState& v, unsigned mesh_index) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < v.components.size(); ++i) {
        const MGROUP_TRANSFORM* t = v.components[i].transform;
        if (t != nullptr && t->mesh == mesh_index) out.push_back(i);
    }
    return out;
}

std::vector<Affine> GroupTransforms(const VesselState& v, unsigned mesh_index, std::size_t group_count) {
    std::vector<Affine> groups(group_count);
    for (std::size_t c : ComponentsOfMesh(v, mesh_index)) {
        const MGROUP_TRANSFORM* rec = v.components[c].transform;
        if (rec->grp == nullptr) continue;
        const Affine t = ChainTransform(v, c);
        for (UINT k = 0; k < rec->ngrp; ++k) {
            const UINT g = rec->grp[k];
            if (g < group_count) groups[g] = Compose(t, groups[g]);
        }
    }
    return groups;
}

void PoseMesh(const VesselState& v, unsigned mesh_index, Mesh& mesh) {
    const std::vector<Affine> t = GroupTransforms(v, mesh_index, mesh.groups.size());
    for (std::size_t g = 0; g < mesh.groups.size(); ++g) {
        for (Vertex& vert : mesh.groups[g].vertices) {
            vert.pos_m = t[g].Apply(vert.pos_m);
            vert.normal = t[g].Linear(vert.normal);
        }
    }
}

}  // namespace host::mesh
