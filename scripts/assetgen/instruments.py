"""Panel instruments in the cockpit mesh: dials, needles, clock hands, the
heading card and the altimeter drums. The panel face is the plane z = 0 and
the pilot looks at it along +z, so everything here faces -z (or the eye).
"""
import math

from . import layout as L
from .geom import (add, cross, cylinder, disc, merge, mul, polygon, quad, rotate_vec, sub, unit)

TOWARDS_EYE = (0.0, 0.0, -1.0)
DIAL_RADIUS = {"altimeter": 0.07, "aoa": 0.055, "airspeed": 0.07, "bank": 0.07, "fuel": 0.045,
               "flap_indicator": 0.04, "clock": 0.055, "heading": 0.08}
DRUM_RADIUS, DRUM_PITCH = 0.02, 0.026

# Seven-segment layout on a unit cell (u across 0..1, v up 0..1).
SEGMENTS = {"a": (0.1, 0.9, 0.9, 1.0), "b": (0.8, 0.5, 0.9, 0.95), "c": (0.8, 0.05, 0.9, 0.5),
            "d": (0.1, 0.0, 0.9, 0.1), "e": (0.1, 0.05, 0.2, 0.5), "f": (0.1, 0.5, 0.2, 0.95),
            "g": (0.1, 0.45, 0.9, 0.55)}
DIGITS = ["abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"]


def flat(points2d, z):
    """A flat polygon at depth z facing the eye (-z)."""
    pts = [(x, y, z) for x, y in points2d]
    area = sum(pts[i][0] * pts[(i + 1) % len(pts)][1] - pts[(i + 1) % len(pts)][0] * pts[i][1] for i in range(len(pts)))
    return polygon(pts if area < 0 else pts[::-1])


def needle(pivot, length, width, z, angle_deg=0.0, tail=0.2):
    """A tapered needle from the pivot; angle 0 points up, positive clockwise
    as the pilot sees it."""
    a = math.radians(angle_deg)
    d = (math.sin(a), math.cos(a))
    n = (d[1], -d[0])
    px, py = pivot[0], pivot[1]
    pts = [(px - d[0] * length * tail + n[0] * width, py - d[1] * length * tail + n[1] * width),
           (px + d[0] * length * 0.85 + n[0] * width * 0.6, py + d[1] * length * 0.85 + n[1] * width * 0.6),
           (px + d[0] * length, py + d[1] * length),
           (px + d[0] * length * 0.85 - n[0] * width * 0.6, py + d[1] * length * 0.85 - n[1] * width * 0.6),
           (px - d[0] * length * tail - n[0] * width, py - d[1] * length * tail - n[1] * width)]
    return flat(pts, z)


def hub(pivot, radius, z):
    return disc((pivot[0], pivot[1], z), TOWARDS_EYE, radius, 12)


def ticks(centre, radius, count, z, long_every=5):
    parts = []
    for k in range(count):
        a = 2 * math.pi * k / count
        d = (math.sin(a), math.cos(a))
        ln = radius * (0.2 if k % long_every == 0 else 0.1)
        mid = (centre[0] + d[0] * (radius - ln / 2 - radius * 0.05), centre[1] + d[1] * (radius - ln / 2 - radius * 0.05), z)
        parts.append(quad(mid, (d[1] * radius * 0.015, -d[0] * radius * 0.015, 0), (d[0] * ln / 2, d[1] * ln / 2, 0),
                          TOWARDS_EYE))
    return merge(parts)


def dial(centre, radius):
    """Face, tick ring and bezel of a round instrument."""
    face = disc((centre[0], centre[1], -0.001), TOWARDS_EYE, radius, 28)
    marks = ticks(centre, radius, 30, -0.002)
    inner = [(centre[0] + radius * math.cos(2 * math.pi * k / 28), centre[1] + radius * math.sin(2 * math.pi * k / 28))
             for k in range(28)]
    outer = [(centre[0] + radius * 1.12 * math.cos(2 * math.pi * k / 28),
              centre[1] + radius * 1.12 * math.sin(2 * math.pi * k / 28)) for k in range(28)]
    bezel = merge([flat([inner[k], outer[k], outer[(k + 1) % 28], inner[(k + 1) % 28]], -0.003) for k in range(28)])
    return face, marks, bezel


def needles():
    """(groups, label, patch) for every moving needle and hand at state 0."""
    out = []
    layer = {"clock_fast": -0.004, "clock_mid": -0.005, "clock_slow": -0.006}
    size = {"clock_fast": 0.9, "clock_mid": 0.8, "clock_slow": 0.55}
    for name, (groups, pivot) in L.NEEDLES.items():
        radius = DIAL_RADIUS["clock" if name.startswith("clock") else name]
        z = layer.get(name, -0.004)
        if name == "bank":
            bar = flat([(pivot[0] - radius * 0.8, pivot[1] - 0.003), (pivot[0] + radius * 0.8, pivot[1] - 0.003),
                        (pivot[0] + radius * 0.8, pivot[1] + 0.003), (pivot[0] - radius * 0.8, pivot[1] + 0.003)], z)
            fin = flat([(pivot[0] - 0.004, pivot[1]), (pivot[0] + 0.004, pivot[1]), (pivot[0], pivot[1] + radius * 0.3)], z)
            out += [(groups[0], "bank_indicator_wings", bar), (groups[1], "bank_indicator_fin", merge([fin, hub(pivot, 0.008, z - 0.001)]))]
            continue
        width = 0.004 if name.startswith("clock") else 0.005
        hand = needle(pivot, radius * size.get(name, 0.85), width, z)
        if len(groups) == 2:
            out += [(groups[0], f"{name}_needle", hand), (groups[1], f"{name}_hub", hub(pivot, 0.01, z - 0.001))]
        else:
            out.append((groups[0], f"{name}_needle", merge([hand, hub(pivot, 0.007, z - 0.001)])))
    groups, pivot = L.HEADING_CARD
    card = merge([disc((pivot[0], pivot[1], -0.002), TOWARDS_EYE, DIAL_RADIUS["heading"] * 0.95, 28),
                  ticks(pivot, DIAL_RADIUS["heading"] * 0.95, 36, -0.0025, 3)])
    out.append((groups[0], "heading_card", card))
    return out


def drum_face_normal(centre, digit):
    """Outward normal of the face showing digit at state 0: the drum turns
    by DRUM_TURN_DEG x state about +x, and at state digit/10 this face must
    point at the eye."""
    to_eye = sub(L.EYE, centre)
    n_eye = unit((0.0, to_eye[1], to_eye[2]))
    return rotate_vec(n_eye, (1, 0, 0), -L.DRUM_TURN_DEG * digit / 10), n_eye


def drum_digit(centre, digit):
    """One tenth of a drum: the raised seven-segment digit on its face, and a
    sliver of the drum's axle reaching back to the axis point at x = 0 (the
    housing hides the axle; the drum body is the housing's dark background)."""
    n, n_eye = drum_face_normal(centre, digit)
    up = rotate_vec(cross((1, 0, 0), n_eye), (1, 0, 0), -L.DRUM_TURN_DEG * digit / 10)
    h = 2 * DRUM_RADIUS * math.tan(math.radians(18)) * 0.8
    w = h * 0.6
    base = add(centre, mul(n, DRUM_RADIUS + 0.0008))
    segs = []
    for s in DIGITS[digit]:
        u0, v0, u1, v1 = SEGMENTS[s]
        mid = add(base, add(mul((1, 0, 0), ((u0 + u1) / 2 - 0.5) * w), mul(up, ((v0 + v1) / 2 - 0.5) * h)))
        segs.append(quad(mid, mul((1, 0, 0), (u1 - u0) / 2 * w), mul(up, (v1 - v0) / 2 * h), n))
    end = (0.0, centre[1], centre[2]) if abs(centre[0]) > 0.004 else add(centre, (0.004, 0, 0))
    axle = cylinder(centre, end, 0.001 + 0.0001 * digit, 6)
    return merge(segs + [axle])


def drums():
    """(group, label, patch) for all five drums, ten groups each."""
    out = []
    for i, (groups, ref) in enumerate(L.DRUMS):
        x = (i - 2) * DRUM_PITCH
        centre = (x, ref[1], ref[2])
        for d, g in enumerate(groups):
            out.append((g, f"alt_drum_{i}_digit_{d}", drum_digit(centre, d)))
    return out
