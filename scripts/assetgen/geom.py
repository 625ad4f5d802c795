"""Geometry primitives: vectors, patches (triangle sets with normals), lofts,
revolved bodies, boxes, discs, and rigid transforms.

Frame: x right, y up, z forward (the host's left-handed frame). A triangle
(a, b, c) is front-facing when its vertices run clockwise seen from outside;
with the ordinary cross product that is exactly when (b - a) x (c - a) points
outward, so every builder below makes that cross product point outward.
"""
import math

EPS_AREA = 1e-10


def add(a, b): return (a[0] + b[0], a[1] + b[1], a[2] + b[2])
def sub(a, b): return (a[0] - b[0], a[1] - b[1], a[2] - b[2])
def mul(a, s): return (a[0] * s, a[1] * s, a[2] * s)
def dot(a, b): return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]
def length(a): return math.sqrt(dot(a, a))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def unit(a):
    n = length(a)
    return (0.0, 0.0, 0.0) if n == 0 else mul(a, 1.0 / n)


def lerp(a, b, t): return add(a, mul(sub(b, a), t))


def rotate_vec(v, axis, deg):
    """The host's rotation R(u, t) = cos t I + sin t [u]x + (1 - cos t) u u^T."""
    u = unit(axis)
    t = math.radians(deg)
    c, s = math.cos(t), math.sin(t)
    return add(add(mul(v, c), mul(cross(u, v), s)), mul(u, dot(u, v) * (1 - c)))


def rotate_point(p, ref, axis, deg):
    return add(ref, rotate_vec(sub(p, ref), axis, deg))


def basis(axis):
    """Two unit vectors e1, e2 with e1 x e2 = axis (right-handed about it)."""
    u = unit(axis)
    helper = (1.0, 0.0, 0.0) if abs(u[0]) < 0.9 else (0.0, 1.0, 0.0)
    e1 = unit(cross(helper, u))
    return e1, cross(u, e1)


def tri_area(a, b, c): return 0.5 * length(cross(sub(b, a), sub(c, a)))


class Patch:
    """Vertices with normals and triangles; one smoothing domain."""

    def __init__(self):
        self.verts, self.normals, self.tris, self.uvs = [], [], [], None

    def vertex(self, p, n=(0.0, 0.0, 0.0)):
        self.verts.append(tuple(float(c) for c in p))
        self.normals.append(n)
        return len(self.verts) - 1

    def tri(self, i, j, k):
        if tri_area(self.verts[i], self.verts[j], self.verts[k]) > EPS_AREA:
            self.tris.append((i, j, k))

    def smooth(self):
        """Per-vertex normals: area-weighted mean of the adjacent faces."""
        acc = [(0.0, 0.0, 0.0)] * len(self.verts)
        for i, j, k in self.tris:
            a, b, c = self.verts[i], self.verts[j], self.verts[k]
            fn = cross(sub(b, a), sub(c, a))
            for v in (i, j, k):
                acc[v] = add(acc[v], fn)
        self.normals = [unit(n) for n in acc]
        return self

    def transformed(self, point_fn, normal_fn, flip=False):
        out = Patch()
        out.verts = [point_fn(p) for p in self.verts]
        out.normals = [unit(normal_fn(n)) for n in self.normals]
        out.tris = [(i, k, j) for i, j, k in self.tris] if flip else list(self.tris)
        out.uvs = list(self.uvs) if self.uvs else None
        return out

    def translated(self, d):
        return self.transformed(lambda p: add(p, d), lambda n: n)

    def rotated(self, ref, axis, deg):
        return self.transformed(lambda p: rotate_point(p, ref, axis, deg),
                                lambda n: rotate_vec(n, axis, deg))

    def mirrored_x(self):
        """Mirror across x = 0; a mirror reverses winding, so flip it back."""
        return self.transformed(lambda p: (-p[0], p[1], p[2]), lambda n: (-n[0], n[1], n[2]), flip=True)

    def inverted(self):
        """The same surface seen from the other side."""
        return self.transformed(lambda p: p, lambda n: mul(n, -1.0), flip=True)


def merge(patches):
    out = Patch()
    for p in patches:
        base = len(out.verts)
        out.verts += p.verts
        out.normals += p.normals
        out.tris += [(i + base, j + base, k + base) for i, j, k in p.tris]
    return out


def signed_volume(patch):
    return sum(dot(patch.verts[i], cross(patch.verts[j], patch.verts[k])) for i, j, k in patch.tris) / 6.0


def _vector_area(ring):
    a = (0.0, 0.0, 0.0)
    for j in range(len(ring)):
        a = add(a, cross(ring[j], ring[(j + 1) % len(ring)]))
    return a


def _centroid(points):
    return mul(
        (sum(p[0] for p in points), sum(p[1] for p in points), sum(p[2] for p in points)), 1.0 / len(points))


def loft(rings, caps=(False, False), skip=None):
    """A skin through closed rings of equal size, smooth across the rings.

    The rings' turning sense is fixed from the first ring and the direction in
    which the rings advance, so callers may list ring points either way.
    skip(i, j) leaves out the quad between rings i, i+1 and points j, j+1.
    Caps are flat fans, returned as separate patches (a crease at the rim).
    """
    big = max(rings, key=lambda r: length(_vector_area(r)))
    advance = sub(_centroid(rings[-1]), _centroid(rings[0]))
    if dot(_vector_area(big), advance) < 0:
        rings = [list(reversed(r)) for r in rings]
    n = len(rings[0])
    skin = Patch()
    idx = [[skin.vertex(p) for p in r] for r in rings]
    for i in range(len(rings) - 1):
        for j in range(n):
            if skip and skip(i, j):
                continue
            a, b = idx[i][j], idx[i][(j + 1) % n]
            c, d = idx[i + 1][(j + 1) % n], idx[i + 1][j]
            skin.tri(a, b, c)
            skin.tri(a, c, d)
    parts = [skin.smooth()]
    if caps[0]:
        parts.append(fan(list(reversed(rings[0]))))
    if caps[1]:
        parts.append(fan(rings[-1]))
    return parts


def fan(ring, centre=None):
    """Flat fan over a ring; outward side is the one the ring turns
    counter-clockwise (right-handed) about."""
    p = Patch()
    c = p.vertex(centre or _centroid(ring))
    ids = [p.vertex(q) for q in ring]
    for j in range(len(ids)):
        p.tri(c, ids[j], ids[(j + 1) % len(ids)])
    n = unit(_vector_area(ring))
    p.normals = [n] * len(p.verts)
    return p


def polygon(points):
    """One flat convex polygon, front side right-handed about its points."""
    p = Patch()
    ids = [p.vertex(q) for q in points]
    for j in range(1, len(ids) - 1):
        p.tri(ids[0], ids[j], ids[j + 1])
    n = unit(_vector_area(points))
    p.normals = [n] * len(p.verts)
    return p


def quad(centre, right, up, normal_towards=None):
    """A rectangle centred at centre with half-extents right and up,
    facing right x up (or the side normal_towards points at)."""
    pts = [sub(sub(centre, right), up), add(sub(centre, up), right),
           add(add(centre, right), up), add(sub(centre, right), up)]
    if normal_towards is not None and dot(cross(right, up), normal_towards) < 0:
        pts.reverse()
    return polygon(pts)


def box(lo, hi, faces="xXyYzZ"):
    """Axis-aligned box, outward; faces picks which sides to emit
    (x = -x side, X = +x side ...)."""
    x0, y0, z0 = lo
    x1, y1, z1 = hi
    quads = {
        "x": [(x0, y0, z0), (x0, y0, z1), (x0, y1, z1), (x0, y1, z0)],
        "X": [(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)],
        "y": [(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)],
        "Y": [(x0, y1, z0), (x0, y1, z1), (x1, y1, z1), (x1, y1, z0)],
        "z": [(x0, y0, z0), (x0, y1, z0), (x1, y1, z0), (x1, y0, z0)],
        "Z": [(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)],
    }
    out = [polygon(quads[f]) for f in faces]
    return merge(out)


def oriented_box(centre, ex, ey, ez):
    """Box centred at centre with half-axis vectors ex, ey, ez (a rotated box)."""
    if dot(cross(ex, ey), ez) < 0:
        ez = mul(ez, -1.0)
    corners = {}
    for sx in (-1, 1):
        for sy in (-1, 1):
            for sz in (-1, 1):
                corners[(sx, sy, sz)] = add(centre, add(add(mul(ex, sx), mul(ey, sy)), mul(ez, sz)))
    faces = []
    for axis in range(3):
        for s in (-1, 1):
            others = [a for a in range(3) if a != axis]
            loop = [(1, 1), (-1, 1), (-1, -1), (1, -1)] if s > 0 else [(1, 1), (1, -1), (-1, -1), (-1, 1)]
            pts = []
            for u, v in loop:
                key = [0, 0, 0]
                key[axis], key[others[0]], key[others[1]] = s, u, v
                pts.append(corners[tuple(key)])
            faces.append(polygon(pts))
    return merge(faces)


def revolve(profile, origin, axis, segments, phase=0.0):
    """Surface of revolution of (a, r) profile points about axis through
    origin. The outside lies on the left when walking the profile with a to
    the right and r up; closed bodies list their profile clockwise."""
    e1, e2 = basis(axis)
    u = unit(axis)
    p = Patch()
    rings = []
    for a, r in profile:
        ring = []
        for s in range(segments):
            ph = phase + 2 * math.pi * s / segments
            ring.append(p.vertex(add(add(origin, mul(u, a)), add(mul(e1, r * math.cos(ph)), mul(e2, r * math.sin(ph))))))
        rings.append(ring)
    for k in range(len(rings) - 1):
        for s in range(segments):
            a, b = rings[k][s], rings[k][(s + 1) % segments]
            c, d = rings[k + 1][(s + 1) % segments], rings[k + 1][s]
            p.tri(a, b, c)
            p.tri(a, c, d)
    return p.smooth()


def cylinder(p0, p1, radius, segments=10, caps=True):
    """Closed cylinder from p0 to p1."""
    axis = sub(p1, p0)
    h = length(axis)
    prof = [(0.0, 0.0), (0.0, radius), (h, radius), (h, 0.0)] if caps else [(0.0, radius), (h, radius)]
    if not caps:
        return revolve(prof, p0, axis, segments)
    side = revolve(prof[1:3], p0, axis, segments)
    e1, e2 = basis(axis)
    ring0 = [add(p0, add(mul(e1, radius * math.cos(2 * math.pi * s / segments)),
                         mul(e2, radius * math.sin(2 * math.pi * s / segments)))) for s in range(segments)]
    ring1 = [add(q, axis) for q in ring0]
    return merge([side, fan(list(reversed(ring0))), fan(ring1)])


def disc(centre, normal, radius, segments=24):
    e1, e2 = basis(normal)
    ring = [add(centre, add(mul(e1, radius * math.cos(2 * math.pi * s / segments)),
                            mul(e2, radius * math.sin(2 * math.pi * s / segments)))) for s in range(segments)]
    return fan(ring, centre)


def sphere(centre, radius, rings=6, segments=10, axis=(0.0, 1.0, 0.0)):
    prof = [(-radius * math.cos(math.pi * k / rings), radius * math.sin(math.pi * k / rings)) for k in range(rings + 1)]
    return revolve(prof, centre, axis, segments)


def hermite(keys, x):
    """Smooth interpolation through (x, value) keys (finite-difference
    tangents); clamps outside the keys."""
    if x <= keys[0][0]:
        return keys[0][1]
    if x >= keys[-1][0]:
        return keys[-1][1]
    i = max(k for k in range(len(keys) - 1) if keys[k][0] <= x)
    (x0, y0), (x1, y1) = keys[i], keys[i + 1]
    def slope(k):
        lo, hi = keys[max(k - 1, 0)], keys[min(k + 1, len(keys) - 1)]
        return (hi[1] - lo[1]) / (hi[0] - lo[0])
    h = x1 - x0
    t = (x - x0) / h
    m0, m1 = slope(i) * h, slope(i + 1) * h
    t2, t3 = t * t, t * t * t
    return (2 * t3 - 3 * t2 + 1) * y0 + (t3 - 2 * t2 + t) * m0 + (-2 * t3 + 3 * t2) * y1 + (t3 - t2) * m1


def linear(keys, x):
    if x <= keys[0][0]:
        return keys[0][1]
    for (x0, y0), (x1, y1) in zip(keys, keys[1:]):
        if x <= x1:
            return y0 + (y1 - y0) * (x - x0) / (x1 - x0)
    return keys[-1][1]


def grid(rows, outward_from):
    """Open smooth surface through a grid of points (rows of equal length),
    facing away from the point outward_from."""
    p = Patch()
    ids = [[p.vertex(q) for q in r] for r in rows]
    a, b, c = rows[0][0], rows[0][1], rows[1][1]
    n = cross(sub(b, a), sub(c, a))
    centre = _centroid([rows[0][0], rows[0][-1], rows[-1][0], rows[-1][-1]])
    flip = dot(n, sub(centre, outward_from)) < 0
    for i in range(len(rows) - 1):
        for j in range(len(rows[0]) - 1):
            q = (ids[i][j], ids[i][j + 1], ids[i + 1][j + 1], ids[i + 1][j])
            if flip:
                q = q[::-1]
            p.tri(q[0], q[1], q[2])
            p.tri(q[0], q[2], q[3])
    return p.smooth()


def tube(path, radius, segments=6):
    """Closed round tube along a polyline."""
    rings = []
    for k, c in enumerate(path):
        t = unit(sub(path[min(k + 1, len(path) - 1)], path[max(k - 1, 0)]))
        e1, e2 = basis(t)
        rings.append([add(c, add(mul(e1, radius * math.cos(2 * math.pi * s / segments)),
                                 mul(e2, radius * math.sin(2 * math.pi * s / segments))))
                      for s in range(segments)])
    return merge(loft(rings, caps=(True, True)))


def split(patch, key):
    """Triangles of a patch sorted into sub-patches by key(centroid); the
    normals stay those of the whole, so splitting keeps a surface smooth."""
    out = {}
    remap = {}
    for tri in patch.tris:
        c = _centroid([patch.verts[i] for i in tri])
        k = key(c)
        sub_patch = out.setdefault(k, Patch())
        m = remap.setdefault(k, {})
        ids = []
        for i in tri:
            if i not in m:
                m[i] = len(sub_patch.verts)
                sub_patch.verts.append(patch.verts[i])
                sub_patch.normals.append(patch.normals[i])
            ids.append(m[i])
        sub_patch.tris.append(tuple(ids))
    return out
