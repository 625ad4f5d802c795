"""The fuselage with its nose-gear well, the dorsal intake, the nozzle, the
two tail booms and the two gear sponsons with their main-gear wells.

Modelling parameters (not the module's numbers) are named here: the section
tables, the well openings (which the doors below close exactly) and the
sponson outline.
"""
import math

from . import layout as L
from .geom import (add, box, cylinder, disc, hermite, linear, loft, merge, revolve, split)

# Fuselage sections: z -> bottom, top, half-width, flat-bottom half-width.
# Two sections share z = 3.86: the bulkhead under the canopy's rear bow.
FUSELAGE_KEYS_AFT = [(-4.45, -0.30, 0.40, 0.42, 0.20), (-3.5, -0.34, 0.48, 0.50, 0.25),
                     (-2.5, -0.38, 0.56, 0.58, 0.30), (-1.0, -0.42, 0.66, 0.66, 0.33),
                     (0.5, -0.42, 0.76, 0.70, 0.33), (2.0, -0.42, 0.98, 0.70, 0.33),
                     (3.0, -0.42, 1.18, 0.68, 0.33), (3.86, -0.41, 1.33, 0.66, 0.33)]
FUSELAGE_KEYS_FWD = [(3.86, -0.41, 0.86, 0.66, 0.33), (4.2, -0.36, 0.86, 0.64, 0.33),
                     (4.45, -0.2287, 0.8486, 0.6264, 0.33), (4.55, -0.2287, 0.84, 0.62, 0.33), (6.15, -0.2287, 0.66, 0.50, 0.33),
                     (6.85, -0.14, 0.44, 0.34, 0.18), (7.38, -0.03, 0.24, 0.17, 0.06),
                     (7.62, 0.04, 0.12, 0.05, 0.02)]
NOSE_TIP = (0.0, 0.08, 7.72)
STATIONS_AFT = [-4.45, -4.0, -3.5, -3.0, -2.5, -2.0, -1.4, -0.8, -0.2, 0.4, 1.0, 1.6, 2.2, 2.8, 3.3, 3.86]
STATIONS_FWD = [3.86, 4.2, 4.45, 4.55, 4.95, 5.35, 5.75, 6.15, 6.5, 6.85, 7.15, 7.38, 7.62]

# Nose-gear well opening: the nose door closes it (door plane = its bottom).
# The belly is already flat 10 cm ahead of it, so the closed door sits in a
# flat frame rather than on the crease where the nose's underside turns.
NOSE_WELL = {"x": 0.33, "z": (4.55, 6.15), "y": (-0.2287, 0.42)}
# Sponson outline (right side) and its main-gear well: the main door closes
# the deep part, the rear door the shallow part behind the step.
SPONSON_X = (1.40, 1.97)
SPONSON_TOP, SPONSON_MID_Y = 0.66, 0.10
WELL_X = (1.459599, 1.459599 + 0.45)
WELL_DEEP_Y, WELL_SHALLOW_Y = -0.3626664, -0.2578211
WELL_Z = (-0.64, -0.43, 1.40)   # rear wall, step, front wall
WELL_TOP = 0.42

ARC = 5        # points per quarter arc


def _keys(table, col):
    return [(row[0], row[col]) for row in table]


def fuselage_section(z, table):
    # Bottom and flat width are piecewise linear: the well opening stays straight.
    yb, fb = linear(_keys(table, 1), z), linear(_keys(table, 4), z)
    yt, hw = (hermite(_keys(table, c), z) for c in (2, 3))
    return yb, yt, hw, fb


def section_ring(z, yb, yt, hw, fb):
    """Flat bottom (-fb, 0, fb), quarter ellipses up the sides, a half
    ellipse over the top; counter-clockwise seen from the front."""
    ym = yb + 0.45 * (yt - yb)
    ring = [(-fb, yb, z), (0.0, yb, z), (fb, yb, z)]
    for k in range(1, ARC + 1):
        a = -math.pi / 2 + math.pi / 2 * k / ARC
        ring.append((fb + (hw - fb) * math.cos(a), ym + (ym - yb) * math.sin(a), z))
    for k in range(1, 2 * ARC):
        a = math.pi * k / (2 * ARC)
        ring.append((hw * math.cos(a), ym + (yt - ym) * math.sin(a), z))
    for k in range(ARC + 1):
        a = math.pi + math.pi / 2 * k / ARC
        ring.append((-fb + (hw - fb) * math.cos(a), ym + (ym - yb) * math.sin(a), z))
    return ring[:-1]  # the last point is (-fb, yb), the first one


def fuselage_top(z):
    table = FUSELAGE_KEYS_AFT if z < 3.86 else FUSELAGE_KEYS_FWD
    return fuselage_section(z, table)


def fuselage():
    """Skin (open over the nose-gear well), rear cap, and the well."""
    rings = [section_ring(z, *fuselage_section(z, FUSELAGE_KEYS_AFT)) for z in STATIONS_AFT]
    rings += [section_ring(z, *fuselage_section(z, FUSELAGE_KEYS_FWD)) for z in STATIONS_FWD]
    rings.append([NOSE_TIP] * len(rings[0]))
    z0, z1 = NOSE_WELL["z"]

    def skip(i, j):
        return j in (0, 1) and z0 - 1e-9 <= rings[i][0][2] and rings[i + 1][0][2] <= z1 + 1e-9

    skin, cap = loft(rings, caps=(True, False), skip=skip)
    x = NOSE_WELL["x"]
    well = box((-x, NOSE_WELL["y"][0], z0), (x, NOSE_WELL["y"][1], z1), faces="xXYzZ").inverted()
    return skin, cap, well


def sponson_ring(z, yb, scale):
    """Right sponson section: flat bottom over the well opening, rounded
    corners, straight sides, elliptic top; scaled about its centre."""
    xi, xo = SPONSON_X
    wi, wo = WELL_X
    cx, cy = (xi + xo) / 2, (yb + SPONSON_TOP) / 2
    r_in, r_out = wi - xi, xo - wo
    pts = [(wi, yb), ((wi + wo) / 2, yb), (wo, yb)]
    for k in range(1, 4):
        a = -math.pi / 2 + math.pi / 2 * k / 3
        pts.append((wo + r_out * math.cos(a), yb + r_out + r_out * math.sin(a)))
    for k in range(0, 9):
        a = math.pi * k / 8
        pts.append((cx + (xo - cx) * math.cos(a), SPONSON_MID_Y + (SPONSON_TOP - SPONSON_MID_Y) * math.sin(a)))
    for k in range(0, 3):
        a = math.pi + math.pi / 2 * k / 3
        pts.append((wi + r_in * math.cos(a), yb + r_in + r_in * math.sin(a)))
    return [(cx + (px - cx) * scale, cy + (py - cy) * scale, z) for px, py in pts]


def sponson():
    """Right sponson: skin open over the well, and the well (facing in)."""
    rear, step, front = WELL_Z
    aft = [(-2.8, 0.0), (-2.5, 0.45), (-2.1, 0.7), (-1.6, 0.86), (-1.1, 0.96)]
    fwd = [(1.9, 0.93), (2.3, 0.78), (2.6, 0.55), (2.82, 0.25), (2.9, 0.0)]
    rings = [sponson_ring(z, WELL_SHALLOW_Y, max(s, 1e-3)) for z, s in aft]
    rings += [sponson_ring(z, WELL_SHALLOW_Y, 1.0) for z in (rear, step)]
    rings += [sponson_ring(z, WELL_DEEP_Y, 1.0) for z in (step, 0.2, 0.8, front)]
    rings += [sponson_ring(z, WELL_DEEP_Y, s) for z, s in fwd]
    rings[0] = [rings[0][0]] * len(rings[0])
    rings[-1] = [rings[-1][0]] * len(rings[-1])
    for r in (rings[0], rings[-1]):
        tip = (sum(p[0] for p in r) / len(r), 0.05, r[0][2])
        r[:] = [tip] * len(r)

    def skip(i, j):
        z_a, z_b = rings[i][0][2], rings[i + 1][0][2]
        return j in (0, 1) and rear - 1e-9 <= z_a and z_b <= front + 1e-9 and z_a != z_b

    (skin,) = loft(rings, skip=skip)
    x0, x1 = WELL_X
    deep = box((x0, WELL_DEEP_Y, step), (x1, WELL_TOP, front), faces="xXYZ")
    shallow = box((x0, WELL_SHALLOW_Y, rear), (x1, WELL_TOP, step), faces="xXYz")
    return skin, merge([deep, shallow]).inverted()


def dorsal_intake():
    """Intake on the spine behind the canopy: lip, dark face, duct fairing."""
    c = (0.0, 1.28, 3.30)
    lip = revolve([(-0.05, 0.205), (0.0, 0.20), (0.02, 0.185), (0.0, 0.17), (-0.12, 0.17)],
                  c, (0, 0, 1), 20)
    face = disc(add(c, (0, 0, -0.10)), (0, 0, 1), 0.175, 20)
    rings = []
    for k in range(7):
        t = k / 6
        z = 3.25 - 2.4 * t
        r = 0.205 * (1 - 0.55 * t)
        cy = 1.28 - (1.28 - fuselage_top(z)[1] + 0.12) * t
        rings.append([(r * math.cos(a * math.pi / 8), cy + r * math.sin(a * math.pi / 8), z) for a in range(16)])
    duct = loft(rings)[0]
    return lip, face, duct


def nozzle():
    tp = L.THRUST_POINT
    outer = revolve([(-0.44, 0.32), (-0.42, 0.34), (-0.25, 0.385), (-0.05, 0.405)], (0, 0, tp[2]), (0, 0, 1), 24)
    inner = revolve([(-0.20, 0.31), (-0.40, 0.30), (-0.44, 0.32)], (0, 0, tp[2]), (0, 0, 1), 24)
    turbine = disc((0, 0, tp[2] - 0.20), (0, 0, -1), 0.31, 24)
    return outer, inner, turbine


def boom():
    """Right tail boom that carries the fin."""
    x, y, r = L.TAIL_REF[0], 0.19, 0.13
    prof = [(-2.3, 0.0), (-2.6, 0.6), (-3.1, 0.9), (-3.6, 1.0), (-5.9, 1.0), (-6.2, 0.75), (-6.38, 0.35), (-6.42, 0.0)]
    rings = [[(x + r * s * math.cos(a * math.pi / 6), y + r * s * math.sin(a * math.pi / 6), z) for a in range(12)]
             for z, s in prof]
    return loft(rings)[0]


def bands(patch, edges, prefix, around=None):
    """Split a patch into labelled pieces by z bands (and optionally by a
    classifier of the centroid), for the static groups."""
    def key(c):
        band = sum(1 for e in edges if c[2] > e)
        return (band, around(c) if around else "")
    parts = split(patch, key)
    return [(f"{prefix}_{b}{'_' + side if side else ''}", parts[(b, side)]) for b, side in sorted(parts)]


def quadrant(c):
    if c[1] < -0.15:
        return "belly"
    if c[1] > 0.55:
        return "top"
    return "right" if c[0] > 0 else "left"
