// The host's one three-vector and its rotations, shared by the flight model and
// the mesh library. The vessel frame is x right, y up, z forward; the world
// frame is x east, y up, z north. Both are the same handedness, so every
// formula is plain algebra.
#ifndef VANTOREL_HOST_VECTOR_VEC_H
#define VANTOREL_HOST_VECTOR_VEC_H

#include <cmath>

namespace host {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

constexpr Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
constexpr Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
constexpr Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
constexpr Vec3 operator*(double s, Vec3 a) { return a * s; }
constexpr Vec3& operator+=(Vec3& a, Vec3 b) { return a = a + b; }
constexpr Vec3& operator-=(Vec3& a, Vec3 b) { return a = a - b; }
constexpr double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
// The unit vector along a; the zero vector stays zero.
inline Vec3 Normalised(Vec3 a) {
    const double l = Length(a);
    return l > 0 ? a * (1.0 / l) : Vec3{};
}

// Rotation matrix, columns are the images of the vessel axes in the world.
struct Mat3 {
    Vec3 c0, c1, c2;
    constexpr Vec3 operator*(Vec3 v) const { return c0 * v.x + c1 * v.y + c2 * v.z; }
    // Transpose times v: world to vessel.
    constexpr Vec3 TransposeTimes(Vec3 v) const { return {Dot(c0, v), Dot(c1, v), Dot(c2, v)}; }
};

// Unit quaternion, vessel to world.
struct Quat {
    double w = 1, x = 0, y = 0, z = 0;

    Mat3 Matrix() const {
        const double xx = x * x, yy = y * y, zz = z * z;
        const double xy = x * y, xz = x * z, yz = y * z, wx = w * x, wy = w * y, wz = w * z;
        return {{1 - 2 * (yy + zz), 2 * (xy + wz), 2 * (xz - wy)},
                {2 * (xy - wz), 1 - 2 * (xx + zz), 2 * (yz + wx)},
                {2 * (xz + wy), 2 * (yz - wx), 1 - 2 * (xx + yy)}};
    }

    static Quat FromMatrix(const Mat3& m) {
        // Shepperd's method: pick the largest diagonal term for accuracy.
        const double m00 = m.c0.x, m11 = m.c1.y, m22 = m.c2.z;
        const double m01 = m.c1.x, m02 = m.c2.x, m10 = m.c0.y, m12 = m.c2.y, m20 = m.c0.z, m21 = m.c1.z;
        const double tr = m00 + m11 + m22;
        Quat q;
        if (tr > 0) {
            double s = std::sqrt(tr + 1.0) * 2;
            q = {0.25 * s, (m21 - m12) / s, (m02 - m20) / s, (m10 - m01) / s};
        } else if (m00 > m11 && m00 > m22) {
            double s = std::sqrt(1.0 + m00 - m11 - m22) * 2;
            q = {(m21 - m12) / s, 0.25 * s, (m01 + m10) / s, (m02 + m20) / s};
        } else if (m11 > m22) {
            double s = std::sqrt(1.0 + m11 - m00 - m22) * 2;
            q = {(m02 - m20) / s, (m01 + m10) / s, 0.25 * s, (m12 + m21) / s};
        } else {
            double s = std::sqrt(1.0 + m22 - m00 - m11) * 2;
            q = {(m10 - m01) / s, (m02 + m20) / s, (m12 + m21) / s, 0.25 * s};
        }
        return q.Normalized();
    }

    Quat Normalized() const {
        double n = std::sqrt(w * w + x * x + y * y + z * z);
        return {w / n, x / n, y / n, z / n};
    }

    // This rotation followed by a body-frame rotation of angle |r| about r.
    Quat RotatedByBody(Vec3 r) const {
        const double angle = Length(r);
        if (angle < 1e-15) return *this;
        const double s = std::sin(0.5 * angle) / angle, c = std::cos(0.5 * angle);
        const double bw = c, bx = r.x * s, by = r.y * s, bz = r.z * s;
        return Quat{w * bw - x * bx - y * by - z * bz, w * bx + x * bw + y * bz - z * by,
                    w * by - x * bz + y * bw + z * bx, w * bz + x * by - y * bx + z * bw}
            .Normalized();
    }
};

}  // namespace host

#endif
