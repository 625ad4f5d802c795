// The vessel frame in glTF's frame. The vessel frame is left-handed (x right,
// y up, z forward); glTF is right-handed, so z is negated and nothing else
// changes: glTF +X is the vessel's right, +Y up, and the nose points to -Z.
// A mirror turns a rotation R into S R S (S = diag(1, 1, -1)), still a
// rotation, and reverses the sense of every triangle: the vertex order is
// swapped so the outside stays the front face (counter-clockwise in glTF).
#ifndef VANTOREL_SIM_EXPORT_GLTF_FRAME_H
#define VANTOREL_SIM_EXPORT_GLTF_FRAME_H

#include <array>

#include "mesh/affine.h"

namespace vantorel_sim::gltf {

inline std::array<double, 3> ToGltf(host::mesh::Vec3 v) { return {v.x, v.y, -v.z}; }

// The rotation part of `a`, mirrored into glTF's frame, as a unit quaternion
// (x, y, z, w); w >= 0 is not promised, see the caller's sign choice.
std::array<double, 4> GltfQuaternion(const host::mesh::Affine& a);

}  // namespace vantorel_sim::gltf

#endif
