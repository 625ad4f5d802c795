"""Wings with flaps and ailerons, wingtip pods with the strobe beacons, and
the two all-moving canted fins. Everything is built for the right side;
exterior.py mirrors it.

The control surfaces hinge on the module's hinge lines (along (1, 0, -1) on
the right): each has a round nose about its hinge line and the fixed wing
stops a little ahead of it, so a deflected surface clears the wing.
"""
import math

from . import layout as L
from .geom import (add, basis, cross, cylinder, dot, loft, merge, mul, sphere, sub, unit, revolve)

WING_Y = L.AILERON_REF[1]           # mid-plane: the hinge lines lie in it
ROOT_X, TIP_X = 1.93, 5.30
LE_ROOT_Z, LE_SWEEP = 0.60, 1.64    # leading edge z = LE_ROOT_Z - LE_SWEEP (x - 1.95)
FLAP_SPAN, AILERON_SPAN = (1.99, 3.21), (3.29, 5.20)
FLAP_CHORD_Z, AILERON_CHORD_Z = 0.608, 0.30   # along z behind the hinge line
GAP = 0.008
INNER_WING = {"x": (0.55, 1.43), "le": 1.0, "te": -2.1}


def flap_hinge_z(x):
    return L.FLAP_REF[2] - (x - L.FLAP_REF[0])


def aileron_hinge_z(x):
    return L.AILERON_REF[2] - (x - L.AILERON_REF[0])


def le_z(x):
    return LE_ROOT_Z - LE_SWEEP * (x - 1.95)


def half_thickness(x, u):
    """NACA-like thickness at chord fraction u of the full chord at x."""
    chord = le_z(x) - (aileron_hinge_z(x) - AILERON_CHORD_Z)
    t = (0.10 - 0.035 * (x - ROOT_X) / (TIP_X - ROOT_X)) * chord
    u = max(u, 0.0)
    return 5 * t * (0.2969 * math.sqrt(u) - 0.126 * u - 0.3516 * u ** 2 + 0.2843 * u ** 3 - 0.1015 * u ** 4)


def airfoil_ring(x, z_le, z_te, chord_full, n=9):
    """Closed section at span station x from z_le back to z_te (a blunt
    trailing face where a control surface follows)."""
    pts = []
    for k in range(n + 1):
        u = (1 - math.cos(math.pi * k / n)) / 2 * (z_le - z_te) / chord_full
        pts.append(u)
    top = [(x, WING_Y + half_thickness(x, u), z_le - u * chord_full) for u in pts]
    bottom = [(x, WING_Y - half_thickness(x, u), z_le - u * chord_full) for u in reversed(pts[1:-1])]
    return top + bottom


def _panel(x0, x1, te_of, steps):
    rings = []
    for k in range(steps + 1):
        x = x0 + (x1 - x0) * k / steps
        chord_full = le_z(x) - (aileron_hinge_z(x) - AILERON_CHORD_Z)
        rings.append(airfoil_ring(x, le_z(x), te_of(x), chord_full))
    return loft(rings, caps=(True, True))


def wing_panels():
    """Inner panel (fuselage to sponson) and the outer wing in two panels,
    each ending ahead of its control surfaces' hinge line."""
    def clear(hinge, r):
        return lambda x: hinge(x) + math.sqrt(2) * (r(x) + GAP)
    r_flap = lambda x: nose_radius(x, flap_hinge_z)
    r_ail = lambda x: nose_radius(x, aileron_hinge_z)
    a = _panel(ROOT_X, (FLAP_SPAN[1] + AILERON_SPAN[0]) / 2, clear(flap_hinge_z, r_flap), 4)
    b = _panel((FLAP_SPAN[1] + AILERON_SPAN[0]) / 2, TIP_X, clear(aileron_hinge_z, r_ail), 6)
    xi0, xi1 = INNER_WING["x"]
    rings = []
    for x in (xi0, xi1):
        ring = airfoil_ring(x, INNER_WING["le"], INNER_WING["te"], INNER_WING["le"] - INNER_WING["te"])
        rings.append([(p[0], WING_Y + (p[1] - WING_Y) * 0.6, p[2]) for p in ring])
    inner = loft(rings, caps=(True, True))
    return {"inner": merge(inner), "outer_a": a, "outer_b": b}


def nose_radius(x, hinge):
    chord_full = le_z(x) - (aileron_hinge_z(x) - AILERON_CHORD_Z)
    return half_thickness(x, (le_z(x) - hinge(x)) / chord_full) * 0.95


def control_surface(span, hinge, chord_z, ref):
    """A surface hinged on the line through ref along (1, 0, -1): round nose
    about the hinge, tapering to the trailing edge; built in sections
    perpendicular to the hinge line."""
    h = unit((1.0, 0.0, -1.0))
    aft = unit((-1.0, 0.0, -1.0))
    up = (0.0, 1.0, 0.0)
    chord = chord_z / math.sqrt(2)
    rings = []
    for x in (span[0], (span[0] + span[1]) / 2, span[1]):
        base = (x, WING_Y, hinge(x))
        r = nose_radius(x, hinge)
        ring = []
        for k in range(7):                      # nose: upper to lower via the front
            a = math.pi / 2 + math.pi * k / 6
            ring.append(add(base, add(mul(up, r * math.sin(a)), mul(aft, r * math.cos(a)))))
        for k in range(1, 5):                   # lower surface to the trailing edge
            t = k / 4
            ring.append(add(base, add(mul(aft, t * chord), mul(up, -r * (1 - t) - 0.002 * t))))
        for k in range(3, 0, -1):               # upper surface back to the nose
            t = k / 4
            ring.append(add(base, add(mul(aft, t * chord), mul(up, r * (1 - t) + 0.002 * t))))
        rings.append(ring)
    return merge(loft(rings, caps=(True, True)))


def flap():
    return control_surface(FLAP_SPAN, flap_hinge_z, FLAP_CHORD_Z, L.FLAP_REF)


def aileron():
    return control_surface(AILERON_SPAN, aileron_hinge_z, AILERON_CHORD_Z, L.AILERON_REF)


def tip_pod():
    """Wingtip fairing with the strobe lens on its underside."""
    bx, by, bz = L.BEACON
    c = (bx, by + 0.075, bz)
    prof = [(-0.75, 0.0), (-0.6, 0.04), (-0.3, 0.068), (0.2, 0.07), (0.5, 0.055), (0.68, 0.03), (0.75, 0.0)]
    pod = revolve(prof, c, (0, 0, 1), 12)
    lens = sphere(L.BEACON, 0.03, 4, 10)
    return pod, lens


def fin(ref):
    """A fin: an airfoil slab whose pivot axis (the module's tail axis, the
    same for both fins) runs through it, and the pivot shaft from the
    reference point. Returns the slab, the shaft and the axis frame."""
    a = unit(L.TAIL_AXIS)
    fwd = unit(sub((0.0, 0.0, 1.0), mul(a, a[2])))
    side = cross(a, fwd)
    rings = []
    for s, le, te, t in ((0.055, 0.42, -0.62, 0.055), (0.8, 0.26, -0.48, 0.04), (1.45, 0.12, -0.34, 0.025)):
        base = add(ref, mul(a, s))
        ring = []
        for k in range(12):
            ang = 2 * math.pi * k / 12
            u = (1 - math.cos(ang)) / 2               # 0 at the leading edge
            thick = t * 2.2 * math.sqrt(max(u, 0.0)) * (1 - u)
            z = le - u * (le - te)
            ring.append(add(base, add(mul(fwd, z), mul(side, thick if k <= 6 else -thick))))
        rings.append(ring)
    slab = merge(loft(rings, caps=(True, True)))
    shaft = cylinder(ref, add(ref, mul(a, 0.08)), 0.02, 8)
    tip_light = sphere(add(ref, mul(a, 1.47)), 0.02, 4, 8)
    return slab, shaft, tip_light, (a, fwd)
