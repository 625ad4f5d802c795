"""The exterior mesh: named parts into the module's groups, the rest of the
airframe spread over the static groups, each a labelled piece."""
import math

from . import airframe as A
from . import gear as G
from . import layout as L
from . import wings as W
from .canopy import CanopyShape, frame, glass
from .details import exterior_details
from .geom import dot, sub
from .msh import Material, MeshBuilder

MATERIALS = [
    Material("skin", (0.86, 0.87, 0.89, 1), specular=(0.5, 0.5, 0.5, 1, 25)),
    Material("trim", (0.16, 0.22, 0.38, 1), specular=(0.4, 0.4, 0.4, 1, 25)),
    Material("glass", (0.35, 0.45, 0.55, 0.35), specular=(0.9, 0.9, 0.9, 1, 60)),
    Material("frame", (0.25, 0.26, 0.28, 1)),
    Material("metal", (0.62, 0.63, 0.65, 1), specular=(0.7, 0.7, 0.7, 1, 40)),
    Material("tyre", (0.07, 0.07, 0.07, 1), specular=(0.1, 0.1, 0.1, 1, 5)),
    Material("well", (0.30, 0.31, 0.30, 1)),
    Material("nozzle", (0.18, 0.17, 0.16, 1), specular=(0.5, 0.45, 0.4, 1, 30)),
    Material("dark", (0.03, 0.03, 0.04, 1)),
    Material("beacon", (0.9, 0.15, 0.1, 1), emissive=(0.35, 0.05, 0.03, 1)),
]


def mirror_side(items):
    return [(i, label, p.mirrored_x()) for i, label, p in items]


def exterior_canopy_shape():
    def sill(z):
        yb, yt, hw, _ = A.fuselage_section(z, A.FUSELAGE_KEYS_FWD)
        ym = yb + 0.45 * (yt - yb)
        a = math.radians(40)
        return hw * math.cos(a), ym + (yt - ym) * math.sin(a) + 0.025
    z0 = A.STATIONS_FWD[0] + 0.04
    top = [(z0, L.CANOPY_HINGE[1] - 0.012), (4.7, 1.33), (5.5, 1.08), (6.2, 0.74)]
    return CanopyShape(sill, top, z0, 6.2, L.CANOPY_HINGE)


def put_named(mesh):
    for g, label, patch in G.nose_leg():
        mesh.put(g, label, "tyre" if g == L.NOSE_WHEEL_GROUP else "metal", patch)
    right = G.main_leg()
    for side, items in (("right", right), ("left", mirror_side(right))):
        for i, label, patch in items:
            g = L.MAIN_WHEEL_GROUP[side] if i == 10 else L.MAIN_LEG_GROUPS[side][i]
            mesh.put(g, f"{label}_{side}", "tyre" if i == 10 else "metal", patch)
    for group_ids, pieces, mat in ((L.NOSE_DOOR_GROUPS, G.nose_door(), "skin"),):
        for g, (label, patch) in zip(group_ids, pieces):
            mesh.put(g, label, mat if "panel" in label else "metal", patch)
    for maker, groups in ((G.main_door, L.MAIN_DOOR_GROUPS), (G.rear_door, L.REAR_DOOR_GROUPS)):
        pieces = maker()
        for side, items in (("right", pieces), ("left", [(n, p.mirrored_x()) for n, p in pieces])):
            for g, (label, patch) in zip(groups[side], items):
                mesh.put(g, f"{label}_{side}", "skin" if "panel" in label else "metal", patch)
    for side, sign in (("right", 1), ("left", -1)):
        flap, ail = W.flap(), W.aileron()
        if sign < 0:
            flap, ail = flap.mirrored_x(), ail.mirrored_x()
        mesh.put(L.FLAP[side], f"flap_{side}", "skin", flap)
        mesh.put(L.AILERON[side], f"aileron_{side}", "trim", ail)
        put_fin(mesh, side, sign)
    put_canopy(mesh)


def put_fin(mesh, side, sign):
    ref = (sign * L.TAIL_REF[0], L.TAIL_REF[1], L.TAIL_REF[2])
    slab, shaft, light, (a, fwd) = W.fin(ref)
    pieces = sorted(_split_fin(slab, ref, a, fwd).items())
    groups = L.TAIL_GROUPS[side]
    for g, (name, patch) in zip(groups, pieces):
        mesh.put(g, f"fin_{side}_{name}", "trim" if name.startswith("upper") else "skin", patch)
    mesh.put(groups[4], f"fin_{side}_pivot_shaft", "metal", shaft)
    mesh.put(groups[5], f"fin_{side}_tip_light", "beacon", light)


def _split_fin(slab, ref, a, fwd):
    from .geom import split
    def key(c):
        d = sub(c, ref)
        return ("upper" if dot(d, a) > 0.8 else "lower") + ("_front" if dot(d, fwd) > -0.1 else "_rear")
    return split(slab, key)


def put_canopy(mesh):
    shape = exterior_canopy_shape()
    pieces = frame(shape)
    panes = glass(shape, 8, 10, (0.0, 0.3, 5.0))
    groups = list(L.CANOPY_GROUPS)
    if len(pieces) + len(panes) != len(groups):
        raise ValueError(f"canopy has {len(pieces) + len(panes)} pieces for {len(groups)} groups")
    for (b, s), patch in sorted(panes.items()):
        mesh.put(groups.pop(0), f"canopy_glass_{b}_{s}", "glass", patch)
    for label, patch in pieces:
        mesh.put(groups.pop(0), label, "frame", patch)


def static_parts():
    """(label, material, patch) for the airframe's fixed pieces."""
    out = []
    skin, cap, well = A.fuselage()
    out += [(l, "skin", p) for l, p in A.bands(skin, [-3.5, -2.5, -1.5, -0.5, 0.5, 1.5, 2.5, 3.5, 4.55, 5.35, 6.15, 6.9], "fuselage", A.quadrant)]
    out += [("fuselage_tail_cap", "nozzle", cap), ("nose_gear_well", "well", well)]
    lip, face, duct = A.dorsal_intake()
    out += [("intake_lip", "metal", lip), ("intake_face", "dark", face), ("intake_duct", "skin", duct)]
    outer, inner, turbine = A.nozzle()
    out += [("nozzle_outer", "nozzle", outer), ("nozzle_inner", "nozzle", inner), ("nozzle_turbine", "dark", turbine)]
    sp_skin, sp_well = A.sponson()
    boom = A.boom()
    pod, lens = W.tip_pod()
    panels = W.wing_panels()
    for side in ("right", "left"):
        m = (lambda p: p) if side == "right" else (lambda p: p.mirrored_x())
        out += [(f"{l}_{side}", "skin", m(p)) for l, p in
                A.bands(sp_skin, [-1.5, 0.0, 1.4], "sponson", lambda c: "upper" if c[1] > 0.0 else "lower")]
        out.append((f"main_gear_well_{side}", "well", m(sp_well)))
        out += [(f"{l}_{side}", "skin", m(p)) for l, p in A.bands(boom, [-4.5, -3.2], "tail_boom")]
        out += [(f"wingtip_pod_{side}", "trim", m(pod)), (f"beacon_{side}", "beacon", m(lens))]
        for name, parts in panels.items():
            for k, p in enumerate(parts if isinstance(parts, list) else [parts]):
                out.append((f"wing_{name}_{k}_{side}", "skin", m(p)))
    return out


def build():
    mesh = MeshBuilder(L.EXTERIOR_GROUPS, MATERIALS)
    put_named(mesh)
    free = mesh.missing()
    parts = static_parts()
    parts += exterior_details(len(free) - len(parts))
    if len(parts) != len(free):
        raise ValueError(f"{len(parts)} static pieces for {len(free)} static groups")
    for g, (label, mat, patch) in zip(free, parts):
        mesh.put(g, label, mat, patch)
    return mesh
