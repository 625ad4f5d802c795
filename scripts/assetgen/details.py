"""Small fixed details that fill the exterior's static groups: antennas,
probes, lights, fences, vortex generators, and access panels laid on the
skin. Each is real geometry standing on the surface it belongs to."""
import math

from . import airframe as A
from . import wings as W
from .geom import add, cross, cylinder, mul, oriented_box, quad, sphere, unit


def fuselage_surface(z, a):
    """Point and outward normal on the fuselage's upper arc at angle a
    (0 = side, pi/2 = top); a in [-pi/2, 0] runs down the lower side."""
    yb, yt, hw, fb = A.fuselage_top(z)
    ym = yb + 0.45 * (yt - yb)
    if a >= 0:
        p = (hw * math.cos(a), ym + (yt - ym) * math.sin(a), z)
        n = unit((math.cos(a) / hw, math.sin(a) / (yt - ym), 0.0))
    else:
        p = (fb + (hw - fb) * math.cos(a), ym + (ym - yb) * math.sin(a), z)
        n = unit((math.cos(a) / (hw - fb), math.sin(a) / (ym - yb), 0.0))
    return p, n


def panel_on(p, n, w, h, lift=0.003):
    """A flat panel just above a surface point, facing out: w along z, h across."""
    along = (0.0, 0.0, 1.0)
    across = unit(cross(n, along))
    return quad(add(p, mul(n, lift)), mul(across, h / 2), mul(along, w / 2), n)


def blade_antenna(p, n, height):
    return oriented_box(add(p, mul(n, height / 2)), (0.004, 0, 0), mul(n, height / 2), (0, 0, 0.05))


def fixed_details():
    out = []
    top = fuselage_surface(1.0, math.pi / 2)
    out.append(("antenna_vhf_top", "dark", blade_antenna(top[0], top[1], 0.16)))
    bottom = (0.0, -0.42, -1.5)
    out.append(("antenna_transponder", "dark", blade_antenna(bottom, (0, -1, 0), 0.10)))
    out.append(("antenna_gps", "trim", cylinder(add(fuselage_surface(-0.5, math.pi / 2)[0], (0, -0.01, 0)),
                                                add(fuselage_surface(-0.5, math.pi / 2)[0], (0, 0.02, 0)), 0.06, 12)))
    out.append(("pitot_tube", "metal", cylinder((0.22, 0.05, 6.7), (0.22, 0.05, 7.25), 0.008, 6)))
    for side, s in (("right", 1), ("left", -1)):
        p, n = fuselage_surface(6.4, 0.0)
        out.append((f"static_port_{side}", "metal", panel_on((s * p[0], p[1], p[2]), (s * n[0], n[1], n[2]), 0.05, 0.05)))
        out.append((f"aoa_vane_{side}", "metal", oriented_box((s * (p[0] + 0.03), p[1] - 0.12, 6.0), (0.03, 0, 0),
                                                            (0, 0.006, 0), (0, 0, 0.03))))
        x = s * 3.6
        z = W.le_z(3.6) - 0.6
        out.append((f"wing_fence_{side}", "skin", oriented_box((x, W.WING_Y + 0.09, z), (0.004, 0, 0),
                                                               (0, 0.05, 0), (0, 0, 0.45))))
        out.append((f"ventral_strake_{side}", "trim", oriented_box((s * 0.25, -0.36, -3.6), (0.004, 0, 0),
                                                                   (0, 0.08, 0), (0, 0, 0.5))))
        out.append((f"nav_light_{side}", "beacon", sphere((s * 5.32, W.WING_Y, W.le_z(5.3) - 0.15), 0.025, 3, 8)))
    out.append(("boarding_step", "metal", oriented_box((-0.70, -0.20, 3.2), (0.08, 0, 0), (0, 0.01, 0), (0, 0, 0.06))))
    out.append(("fuel_filler_cap", "metal", cylinder(add(fuselage_surface(-0.2, 1.2)[0], (0, -0.005, 0)),
                                                    add(fuselage_surface(-0.2, 1.2)[0], (0, 0.008, 0)), 0.05, 12)))
    out.append(("tail_light", "beacon", sphere((0, 0.42, -4.45), 0.025, 3, 8)))
    return out


def vortex_generators(count_per_side):
    out = []
    for side, s in (("right", 1), ("left", -1)):
        for k in range(count_per_side):
            x = 2.3 + 2.6 * k / max(count_per_side - 1, 1)
            z = W.le_z(x) - 0.25
            y = W.WING_Y + W.half_thickness(x, 0.05) + 0.015
            out.append((f"vortex_generator_{side}_{k}", "skin",
                        oriented_box((s * x, y, z), (0.002, 0, 0), (0, 0.015, 0), (0, 0, 0.025))))
    return out


def access_panels(count):
    """Access panels on the fuselage sides, both sides in turn, along the
    length and at three heights."""
    out = []
    zs = [-3.9, -3.3, -2.7, -2.1, -1.5, -0.9, -0.3, 0.3, 0.9, 1.5, 2.1, 2.7, 3.3]
    heights = [0.25, -0.3, 0.75, 1.05]
    k = 0
    while len(out) < count:
        z = zs[(k // 2) % len(zs)]
        a = heights[(k // (2 * len(zs))) % len(heights)]
        if k >= 2 * len(zs) * len(heights):
            raise ValueError("more access panels asked for than the fuselage has room for")
        side, s = ("right", 1) if k % 2 == 0 else ("left", -1)
        p, n = fuselage_surface(z, a)
        out.append((f"access_panel_{side}_{k // 2}", "skin",
                     panel_on((s * p[0], p[1], p[2]), (s * n[0], n[1], n[2]), 0.32, 0.20)))
        k += 1
    return out


def exterior_details(count):
    """Exactly count detail pieces."""
    out = fixed_details() + vortex_generators(16)
    if count < len(out):
        raise ValueError(f"only {count} static groups left for {len(out)} fixed details")
    return out + access_panels(count - len(out))
