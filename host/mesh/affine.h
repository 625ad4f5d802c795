// Rigid transforms for mesh geometry, on the host's three-vector.
#ifndef VANTOREL_HOST_MESH_AFFINE_H
#define VANTOREL_HOST_MESH_AFFINE_H

#include <cmath>

#include "vector/vec.h"

namespace host::mesh {

// The host's one three-vector, shared with the flight model, under the names
// the mesh code and its users spell as host::mesh::Vec3.
using host::Cross;
using host::Dot;
using host::Length;
using host::Normalised;
using host::Vec3;
using host::operator+;
using host::operator-;
using host::operator*;

// x' = m x + t: a rotation (or identity) followed by a shift.
struct Affine {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 t;

    Vec3 Linear(Vec3 v) const {
        return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
                m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
    }
    Vec3 Apply(Vec3 p) const { return Linear(p) + t; }
};

// a after b: (a ∘ b)(p) = a(b(p)).
inline Affine Compose(const Affine& a, const Affine& b) {
    Affine r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    r.t = a.Linear(b.t) + a.t;
    return r;
}

// Rotation by theta about the unit axis u through ref:
// R = cos θ I + sin θ [u]x + (1 - cos θ) u uT.
inline Affine RotationAbout(Vec3 ref, Vec3 u, double theta) {
    const double c = std::cos(theta), s = std::sin(theta), k = 1 - c;
    Affine r;
    r.m[0][0] = c + k * u.x * u.x;
    r.m[0][1] = -s * u.z + k * u.x * u.y;
    r.m[0][2] = s * u.y + k * u.x * u.z;
    r.m[1][0] = s * u.z + k * u.y * u.x;
    r.m[1][1] = c + k * u.y * u.y;
    r.m[1][2] = -s * u.x + k * u.y * u.z;
    r.m[2][0] = -s * u.y + k * u.z * u.x;
    r.m[2][1] = s * u.x + k * u.z * u.y;
    r.m[2][2] = c + k * u.z * u.z;
    r.t = ref - r.Linear(ref);
    return r;
}

inline Affine Translation(Vec3 shift) {
    Affine r;
    r.t = shift;
    return r;
}

}  // namespace host::mesh

#endif
