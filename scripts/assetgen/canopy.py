"""A bubble canopy hinged at its rear: glass panes and a frame of bows,
sills, hinge fitting and latches. The same builder serves the exterior
(facing out) and the cockpit (facing in).
"""
import math

from .geom import add, box, cylinder, grid, hermite, sphere, split, tube


class CanopyShape:
    """sill(z) -> (half-width, height) where the canopy meets the fuselage;
    top(z) -> crown height; z0 the rear bow (next to the hinge), z1 the front."""

    def __init__(self, sill, top_keys, z0, z1, hinge, bulge=0.08):
        self.sill, self.top_keys, self.z0, self.z1, self.hinge, self.bulge = sill, top_keys, z0, z1, hinge, bulge

    def point(self, z, psi, grow=0.0):
        xs, ys = self.sill(z)
        yc = hermite(self.top_keys, z)
        x = (xs + grow) * math.cos(psi) * (1 + self.bulge * math.sin(psi))
        return (x, ys + (yc - ys + grow) * math.sin(psi), z)

    def arch(self, z, n, grow=0.0):
        return [self.point(z, math.pi * k / n, grow) for k in range(n + 1)]


def glass(shape, bands, around, inside, facing_in=False):
    """Panes: one per band and sector, keyed (band, sector)."""
    rows = [shape.arch(shape.z0 + (shape.z1 - shape.z0) * b / bands, around) for b in range(bands + 1)]
    outward_from = inside
    surface = grid(rows, outward_from)
    if facing_in:
        surface = surface.inverted()
    dz = (shape.z1 - shape.z0) / bands

    def key(c):
        b = min(int((c[2] - shape.z0) / dz), bands - 1)
        xs, ys = shape.sill(c[2])
        sin_psi = (c[1] - ys) / max(hermite(shape.top_keys, c[2]) - ys, 1e-6)
        psi = math.atan2(sin_psi, c[0] / max(xs * (1 + shape.bulge * sin_psi), 1e-6))
        return (b, min(int(psi / math.pi * around), around - 1))
    return split(surface, key)


def frame(shape, r=0.018):
    """Frame pieces: (label, patch), eighteen of them."""
    n = 8
    pieces = []
    for name, z in (("rear", shape.z0), ("centre", (shape.z0 + shape.z1) / 2), ("front", shape.z1)):
        pts = shape.arch(z, n, 0.004)
        pieces.append((f"canopy_{name}_bow_right", tube(pts[:n // 2 + 1], r)))
        pieces.append((f"canopy_{name}_bow_left", tube(pts[n // 2:], r)))
    zm = (shape.z0 + shape.z1) / 2
    for side, psi in (("right", 0.0), ("left", math.pi)):
        for half, (za, zb) in (("aft", (shape.z0, zm)), ("fwd", (zm, shape.z1))):
            pts = [shape.point(za + (zb - za) * k / 4, psi, 0.004) for k in range(5)]
            pieces.append((f"canopy_sill_{side}_{half}", tube(pts, r)))
    hx, hy, hz = shape.hinge
    pieces.append(("canopy_hinge_fitting", box((hx - 0.05, hy - 0.03, hz + 0.012), (hx + 0.05, hy + 0.012, hz + 0.06))))
    pieces.append(("canopy_hinge_pin", cylinder((hx - 0.07, hy, hz), (hx + 0.07, hy, hz), 0.01, 8)))
    for side, psi in (("right", 0.35), ("left", math.pi - 0.35)):
        p = shape.point(zm + 0.3, psi, 0.01)
        pieces.append((f"canopy_latch_handle_{side}", tube([p, add(p, (0, 0, 0.12))], 0.012)))
        q = shape.point(shape.z0 + 0.25, psi, 0.006)
        pieces.append((f"canopy_latch_hook_{side}", box(add(q, (-0.02, -0.01, -0.02)), add(q, (0.02, 0.01, 0.02)))))
    top = [shape.point(shape.z0 + 0.1 + (shape.z1 - shape.z0 - 0.2) * k / 6, math.pi / 2, 0.006) for k in range(7)]
    pieces.append(("canopy_crown_strip", tube(top, 0.006, 6)))
    m = shape.point(shape.z1 - 0.15, math.pi / 2, -0.03)
    pieces.append(("canopy_mirror", sphere(m, 0.03, 3, 8)))
    return pieces
