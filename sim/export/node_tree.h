// The host's composition of a group's transform, as a tree of glTF nodes.
//
// The host moves a group by every component that names it, in the order the
// vessel added them, each component's own transform followed by its
// ancestors'. Written outermost first, that is a path of components from the
// mesh's root to the group: the tree merges the paths' common beginnings, so
// a child part hangs below its parent's node and moves with it.
//
// Each component on a path is one pivot node carrying only that component's
// own transform: a rotation node sits at the component's reference point
// (its children are placed relative to that point) and turns about it; a
// translation node moves by the shift. A group's node, a leaf, takes the
// mesh's coordinates back from the last pivot's point, so vertices stay as
// stored. At rest every pivot is the identity.
#ifndef VANTOREL_SIM_EXPORT_NODE_TREE_H
#define VANTOREL_SIM_EXPORT_NODE_TREE_H

#include <cstddef>
#include <vector>

#include "runtime/host_runtime.h"
#include "mesh/affine.h"

namespace vantorel_sim::gltf {

struct TreeNode {
    int parent = -1;  // -1 for the root (the mesh as a whole)
    std::vector<int> children;
    long component = -1;  // a pivot: the host's component index; else -1
    long group = -1;      // a group's node: the mesh group; else -1
    // Rest translation within the parent, vessel axes, metres.
    host::mesh::Vec3 translation_m;
};

// Nodes[0] is the root; pivots and groups follow in the order first met,
// groups in mesh order. Every group below group_count gets its node.
// Throws host::mesh::MeshError for a parent that is not an earlier component.
std::vector<TreeNode> BuildNodeTree(const host::VesselState& v, unsigned mesh_index, std::size_t group_count);

// Whether the component moves anything: a rotation or translation record of
// an animation the vessel has.
bool ComponentMoves(const host::VesselState& v, std::size_t component);

}  // namespace vantorel_sim::gltf

#endif
