// How the host moves mesh groups by the animations a vessel registered.
//
// A component with range [a, b] has the local state f(s) = clamp((s-a)/(b-a), 0, 1).
// At animation state s a rotation turns its groups by angle * (f(s) - f(s0))
// about its axis (normalised) through its reference point, s0 being the
// animation's initial state; a translation moves them by shift * (f(s) - f(s0)).
// A component with a parent is applied first, then its parent's transform (and
// the parent's parent's). Each component naming a group moves it, in the order
// the vessel added the components. Everything is read from the vessel's record
// in the host, so the picture shows what the module registered.
#ifndef VANTOREL_HOST_MESH_POSE_H
#define VANTOREL_HOST_MESH_POSE_H

#include <cstddef>
#include <vector>

#include "mesh/mesh_file.h"
#include "runtime/host_runtime.h"
#include "mesh/affine.h"

namespace host::mesh {

double LocalState(double s, double a, double b);

// Index in VesselState::components of the component's parent, or -1 for none.
// Throws MeshError for a parent handle that is not an earlier component of this vessel.
int ParentIndex(const VesselState& v, std::size_t component);

// The component's own transform at its animation's current state.
Affine OwnTransform(const VesselState& v, std::size_t component);
// The component's transform followed by its ancestors'.
Affine ChainTransform(const VesselState& v, std::size_t component);

// One transform per group of the mesh the vessel holds at `mesh_index`.
std::vector<Affine> GroupTransforms(const VesselState& v, unsigned mesh_index, std::size_t group_count);

// Moves positions and normals of `mesh` (as stored) to the current states.
void PoseMesh(const VesselState& v, unsigned mesh_index, Mesh& mesh);

// The components whose record names this mesh index, in order of addition.
std::vector<std::size_t> ComponentsOfMesh(const VesselState& v, unsigned mesh_index);

}  // namespace host::mesh

#endif
