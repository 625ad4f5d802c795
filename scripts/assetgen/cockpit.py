"""The virtual cockpit (cockpit-mesh coordinates: the vessel frame less the
cockpit offset). Two meshes with the same geometry: unlit, and lit, where
the panel and the instrument markings glow."""
import math

from . import instruments as I
from . import layout as L
from .canopy import CanopyShape, frame, glass
from .geom import Patch, add, box, cross, cylinder, merge, mul, oriented_box, sub, unit
from .msh import Material, MeshBuilder

PANEL = {"x": 0.68, "y": (-0.38, 0.40), "depth": 0.03}
PEDESTAL = ((-0.10, -0.105, -0.10), (0.10, 0.11, 0.0))
DISPLAYS = {"left": ((-0.47, 0.19), 0.10), "right": ((-0.23, 0.19), 0.10), "third": ((0.42, -0.26), 0.08)}
HUD_HALF = (0.35, 0.25)
THROTTLE_AT = (-0.55, -0.15, -0.80)


def materials(lit):
    glow = lambda r, g, b: (r, g, b, 1) if lit else (0, 0, 0, 1)
    return [
        Material("panel", (0.20, 0.21, 0.23, 1), emissive=glow(0.05, 0.05, 0.06)),
        Material("dial", (0.03, 0.03, 0.03, 1), emissive=glow(0.02, 0.02, 0.02)),
        Material("marking", (0.92, 0.92, 0.90, 1), emissive=glow(0.55, 0.75, 0.55)),
        Material("needle", (0.95, 0.95, 0.95, 1), emissive=glow(0.75, 0.85, 0.65)),
        Material("pointer", (0.95, 0.55, 0.10, 1), emissive=glow(0.7, 0.4, 0.05)),
        Material("display", (0.02, 0.03, 0.02, 1), specular=(0.6, 0.6, 0.6, 1, 40), emissive=glow(0.05, 0.08, 0.05)),
        Material("hud", (0.35, 0.55, 0.40, 0.15), specular=(0.8, 0.8, 0.8, 1, 60)),
        Material("glass", (0.35, 0.45, 0.55, 0.2), specular=(0.9, 0.9, 0.9, 1, 60)),
        Material("frame", (0.25, 0.26, 0.28, 1)),
        Material("lever", (0.08, 0.08, 0.08, 1), emissive=glow(0.02, 0.02, 0.02)),
        Material("knob", (0.85, 0.15, 0.10, 1), emissive=glow(0.3, 0.05, 0.03)),
        Material("seat", (0.15, 0.12, 0.10, 1)),
        Material("floor", (0.12, 0.12, 0.13, 1)),
        Material("switch", (0.70, 0.70, 0.72, 1), emissive=glow(0.2, 0.2, 0.2)),
    ]


def display_quad(centre2d, half_w, half_h, z=None):
    """A flat rectangle facing the eye, with texture coordinates (0,0) top
    left to (1,1) bottom right for the host to draw a display on."""
    c = (centre2d[0], centre2d[1], -0.03 if z is None else z)
    n = unit(sub(L.EYE, c))
    right = unit(cross((0.0, 1.0, 0.0), n))
    right = right if right[0] > 0 else mul(right, -1.0)
    up = cross(n, right)
    up = up if up[1] > 0 else mul(up, -1.0)
    tl = add(c, add(mul(right, -half_w), mul(up, half_h)))
    tr = add(c, add(mul(right, half_w), mul(up, half_h)))
    br = add(c, add(mul(right, half_w), mul(up, -half_h)))
    bl = add(c, add(mul(right, -half_w), mul(up, -half_h)))
    p = Patch()
    for q in (tl, tr, br, bl):
        p.vertex(q, n)
    p.tri(0, 1, 2)
    p.tri(0, 2, 3)
    p.uvs = [(0.0, 0.0), (1.0, 0.0), (1.0, 1.0), (0.0, 1.0)]
    return p


def cockpit_canopy_shape():
    top = [(L.COCKPIT_CANOPY_HINGE[1] - 0.0, L.COCKPIT_CANOPY_HINGE[1] - 0.015)]
    z0 = L.COCKPIT_CANOPY_HINGE[2] + 0.03
    top = [(z0, L.COCKPIT_CANOPY_HINGE[1] - 0.015), (-1.0, 1.0), (-0.4, 0.93), (0.25, 0.50)]
    return CanopyShape(lambda z: (0.72, 0.42), top, z0, 0.25, L.COCKPIT_CANOPY_HINGE, bulge=0.05)


def levers():
    """(groups, label, material, patch) of the levers, knob, throttle, pedals."""
    out = []
    cp = L.CANOPY_LEVER_PIVOT
    out += [(6, "canopy_lever_hub", "lever", cylinder((-0.075, cp[1], cp[2]), (-0.002, cp[1], cp[2]), 0.012, 10)),
            (7, "canopy_lever_arm", "lever", box((-0.07, cp[1], cp[2] - 0.006), (-0.058, cp[1] + 0.07, cp[2] + 0.006))),
            (8, "canopy_lever_grip", "knob", box((-0.074, cp[1] + 0.06, cp[2] - 0.012), (-0.054, cp[1] + 0.085, cp[2] + 0.012)))]
    fp = L.FLAP_LEVER_PIVOT
    # Outboard of the pedestal: below state 0.5 the lever leans forward over it.
    ax = PEDESTAL[1][0] + 0.008
    out += [(60, "flap_lever_arm", "lever", merge([cylinder((0.002, fp[1], fp[2]), (ax + 0.017, fp[1], fp[2]), 0.011, 10),
                                                   box((ax, fp[1], fp[2] - 0.006), (ax + 0.012, fp[1] + 0.075, fp[2] + 0.006))])),
            (61, "flap_lever_grip", "switch", box((ax - 0.004, fp[1] + 0.065, fp[2] - 0.015), (ax + 0.016, fp[1] + 0.085, fp[2] + 0.015)))]
    gp = L.GEAR_LEVER_PIVOT
    tip = (0.0, gp[1] - 0.075, gp[2])
    out += [(69, "gear_lever_hub", "lever", cylinder((-0.02, gp[1], gp[2]), (0.02, gp[1], gp[2]), 0.01, 10)),
            (70, "gear_lever_arm", "lever", box((-0.005, tip[1], gp[2] - 0.005), (0.005, gp[1], gp[2] + 0.005)))]
    for k, g in enumerate(L.GEAR_KNOB_GROUPS):
        x0 = -0.015 + 0.01 * k
        out.append((g, f"gear_lever_knob_{k}", "knob", cylinder((x0, tip[1], tip[2]), (x0 + 0.01, tip[1], tip[2]), 0.016, 12)))
    tx, ty, tz = THROTTLE_AT
    out += [(266, "throttle_lever", "lever", box((tx - 0.008, ty - 0.065, tz - 0.008), (tx + 0.008, ty, tz + 0.008))),
            (267, "throttle_grip", "lever", box((tx - 0.02, ty, tz - 0.03), (tx + 0.02, ty + 0.04, tz + 0.03))),
            (268, "throttle_button", "knob", cylinder((tx, ty + 0.04, tz), (tx, ty + 0.048, tz), 0.008, 8))]
    pp = L.PEDAL_PIVOT
    for side, s, groups in (("right", 1, L.PEDAL_GROUPS["a"]), ("left", -1, L.PEDAL_GROUPS["b"])):
        arm = merge([cylinder((s * 0.002, pp[1], pp[2]), (s * 0.16, pp[1], pp[2]), 0.012, 8),
                     box((min(s * 0.14, s * 0.16), pp[1] - 0.17, pp[2] - 0.01), (max(s * 0.14, s * 0.16), pp[1], pp[2] + 0.01))])
        plate = box((min(s * 0.09, s * 0.21), pp[1] - 0.22, pp[2] - 0.035), (max(s * 0.09, s * 0.21), pp[1] - 0.16, pp[2] - 0.02))
        out += [(groups[0], f"rudder_pedal_{side}_arm", "lever", arm), (groups[1], f"rudder_pedal_{side}", "switch", plate)]
    return out


def put_named(mesh):
    for g, label, patch in I.needles():
        mat = "pointer" if label.startswith("flap") or label.startswith("bank") else "needle"
        mesh.put(g, label, mat, patch)
    for g, label, patch in I.drums():
        mesh.put(g, label, "marking", patch)
    for g, label, mat, patch in levers():
        mesh.put(g, label, mat, patch)
    for name, g in L.DISPLAY_GROUPS.items():
        (c, half) = DISPLAYS[name]
        mesh.put(g, f"display_{name}", "display", display_quad(c, half, half))
    hc = L.HUD_CENTRE
    mesh.put(L.HUD_GROUP, "hud_glass", "hud", display_quad((hc[0], hc[1]), HUD_HALF[0], HUD_HALF[1], hc[2]))
    shape = cockpit_canopy_shape()
    pieces = frame(shape, 0.015)
    groups = list(L.COCKPIT_CANOPY_GROUPS)
    panes = glass(shape, 5, (len(groups) - len(pieces)) // 5, (0.0, 0.0, -1.0), facing_in=True)
    if len(panes) + len(pieces) != len(groups):
        raise ValueError(f"cockpit canopy has {len(panes) + len(pieces)} pieces for {len(groups)} groups")
    for (b, s), patch in sorted(panes.items()):
        mesh.put(groups.pop(0), f"canopy_glass_{b}_{s}", "glass", patch)
    for label, patch in pieces:
        mesh.put(groups.pop(0), label, "frame", patch)


def build_one(lit):
    from . import cockpit_static as S
    mesh = MeshBuilder(L.COCKPIT_GROUPS, materials(lit))
    put_named(mesh)
    free = mesh.missing()
    parts = S.dials() + S.display_bezels(DISPLAYS) + S.drum_housing() + S.structure(PEDESTAL, THROTTLE_AT)
    parts += S.panel_tiles()
    parts += S.switches(len(free) - len(parts))
    if len(parts) != len(free):
        raise ValueError(f"{len(parts)} static pieces for {len(free)} static cockpit groups")
    for g, (label, mat, patch) in zip(free, parts):
        mesh.put(g, label, mat, patch)
    return mesh


def build():
    """The unlit and the lit cockpit."""
    return build_one(False), build_one(True)
