#include "export/node_tree.h"

#include <algorithm>
#include <map>
#include <utility>

#include "mesh/mesh_pose.h"

namespace vantorel_sim::gltf {

namespace mesh = host::mesh;

namespace {

// Components that move group g, outermost first (see the header).
std::vector<std::size_t> PathOf(const host::VesselState& v, const std::vector<std::size_t>& naming) {
    std::vector<std::size_t> innermost_first;
    for (std::size_t c : naming) {
        for (long p = static_cast<long>(c); p >= 0; p = mesh::ParentIndex(v, static_cast<std::size_t>(p)))
            if (ComponentMoves(v, static_cast<std::size_t>(p))) innermost_first.push_back(static_cast<std::size_t>(p));
    }
    return {innermost_first.rbegin(), innermost_first.rend()};
}

mesh::Vec3 ReferencePoint(const host::VesselState& v, std::size_t component) {
    const MGROUP_TRANSFORM* t = v.components[component].transform;
    if (t->Type() != MGROUP_TRANSFORM::ROTATE) return {};
    const VECTOR3& r = static_cast<const MGROUP_ROTATE*>(t)->ref;
    return {r.x, r.y, r.z};
}

}  // namespace

bool ComponentMoves(const host::VesselState& v, std::size_t component) {
    const host::AnimComponentRec& c = v.components.at(component);
    if (c.transform == nullptr || c.anim >= v.animations.size()) return false;
    const auto type = c.transform->Type();
    return type == MGROUP_TRANSFORM::ROTATE || type == MGROUP_TRANSFORM::TRANSLATE;
}

std::vector<TreeNode> BuildNodeTree(const host::VesselState& v, unsigned mesh_index, std::size_t group_count) {
    // The components naming each group, in the order the vessel added them.
    std::vector<std::vector<std::size_t>> naming(group_count);
    for (std::size_t c : mesh::ComponentsOfMesh(v, mesh_index)) {
        const MGROUP_TRANSFORM* rec = v.components[c].transform;
        if (rec->grp == nullptr) continue;
        for (UINT k = 0; k < rec->ngrp; ++k)
            if (rec->grp[k] < group_count) naming[rec->grp[k]].push_back(c);
    }
    std::vector<TreeNode> nodes(1);
    std::vector<mesh::Vec3> origin(1);  // the mesh point at each node's origin
    std::map<std::pair<int, std::size_t>, int> pivots;  // (parent node, component) -> node
    auto add = [&](int parent, TreeNode n, mesh::Vec3 o) {
        n.parent = parent;
        nodes.push_back(std::move(n));
        origin.push_back(o);
        const int index = static_cast<int>(nodes.size() - 1);
        nodes[static_cast<std::size_t>(parent)].children.push_back(index);
        return index;
    };
    for (std::size_t g = 0; g < group_count; ++g) {
        int at = 0;
        for (std::size_t c : PathOf(v, naming[g])) {
            auto [it, fresh] = pivots.try_emplace({at, c}, -1);
            if (fresh) {
                const bool rotates = v.components[c].transform->Type() == MGROUP_TRANSFORM::ROTATE;
                const mesh::Vec3 here = origin[static_cast<std::size_t>(at)];
                const mesh::Vec3 o = rotates ? ReferencePoint(v, c) : here;
                TreeNode n;
                n.component = static_cast<long>(c);
                n.translation_m = o - here;
                it->second = add(at, std::move(n), o);
            }
            at = it->second;
        }
        TreeNode leaf;
        leaf.group = static_cast<long>(g);
        leaf.translation_m = mesh::Vec3{} - origin[static_cast<std::size_t>(at)];
        add(at, std::move(leaf), origin[static_cast<std::size_t>(at)]);
    }
    return nodes;
}

}  // namespace vantorel_sim::gltf
