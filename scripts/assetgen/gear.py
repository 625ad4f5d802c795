"""Landing gear: legs, wheels and doors, modelled down with the doors open.

Legs hang from the module's hinge points; every part of a leg near its hinge
lies below and ahead of it, so the -105 degree swing leaves the whole leg
above the hinge and inside the well. Doors are built where they sit closed,
flush with the well openings of airframe.py, then turned open about their
hinges by the inverse of the module's door rotation.
"""
from . import airframe as A
from . import layout as L
from .geom import add, box, cylinder, merge, oriented_box, revolve

DOOR_THICKNESS = 0.012
KNUCKLE_R = 0.015
NOSE_DOOR_OFFSET = A.NOSE_WELL["y"][0] - L.NOSE_DOOR_HINGE[1]   # door plane below its hinge line


def wheel(centre, radius, width, segments=16):
    """Tyre and hub about an axle along x; a tyre vertex sits at the bottom."""
    cx, cy, cz = centre
    hw = width / 2
    rim = radius * 0.62
    prof = [(-hw, rim), (-hw, radius - 0.05), (-hw * 0.8, radius - 0.012), (-hw * 0.4, radius),
            (hw * 0.4, radius), (hw * 0.8, radius - 0.012), (hw, radius - 0.05), (hw, rim)]
    tyre = revolve(prof, (cx, cy, cz), (1, 0, 0), segments)
    inner = revolve([(hw, rim), (-hw, rim)], (cx, cy, cz), (1, 0, 0), segments)
    hub = cylinder((cx - hw * 0.75, cy, cz), (cx + hw * 0.75, cy, cz), rim * 1.001, segments)
    return merge([tyre, inner, hub])


def nose_leg():
    """Parts of the nose leg: (group, label, patch). The strut turns about
    the steering axis (vertical through the steering reference)."""
    hy, hz = L.NOSE_LEG_HINGE[1], L.NOSE_LEG_HINGE[2]
    sz = L.NOSE_STEER_REF[2]
    wy, wz = L.NOSE_WHEEL_REF[1], L.NOSE_WHEEL_REF[2]
    fork_top = wy + 0.17
    parts = [
        (36, "nose_strut_upper", cylinder((0, hy - 0.005, sz), (0, hy - 0.62, sz), 0.04, 8)),
        (37, "nose_strut_lower", cylinder((0, hy - 0.60, sz), (0, fork_top, sz), 0.03, 8)),
        (38, "nose_fork_left", oriented_box((-0.09, (fork_top + wy) / 2, (sz + wz) / 2), (0.012, 0, 0),
                                            (0, (fork_top - wy) / 2 + 0.02, (sz - wz) / 2), (0, 0, 0.02))),
        (39, "nose_fork_right", oriented_box((0.09, (fork_top + wy) / 2, (sz + wz) / 2), (0.012, 0, 0),
                                             (0, (fork_top - wy) / 2 + 0.02, (sz - wz) / 2), (0, 0, 0.02))),
        (40, "nose_fork_crown", box((-0.102, fork_top - 0.02, sz - 0.04), (0.102, fork_top + 0.02, sz + 0.04))),
        (41, "nose_axle", cylinder((-0.1, wy, wz), (0.1, wy, wz), 0.018, 8)),
        (42, "nose_torque_link", box((-0.015, hy - 0.75, sz + 0.03), (0.015, hy - 0.62, sz + 0.08))),
        (43, "nose_taxi_light", cylinder((0, hy - 0.50, sz + 0.04), (0, hy - 0.50, sz + 0.09), 0.03, 10)),
        (44, "nose_steering_collar", cylinder((0, hy - 0.03, sz), (0, hy - 0.09, sz), 0.055, 8)),
        (45, "nose_trunnion", box((-0.10, hy - 0.05, hz), (0.10, hy, hz + 0.05))),
        (46, "nose_wheel", wheel(L.NOSE_WHEEL_REF, L.NOSE_WHEEL_REF[1] - L.TOUCHDOWN_NOSE[1], 0.13)),
    ]
    return parts


def main_leg():
    """Right main leg, strut inboard of its wheel: (index, label, patch);
    index 0..9 into the side's leg groups, 10 is the wheel."""
    hx = L.MAIN_LEG_HINGE_X
    hy, hz = L.MAIN_LEG_HINGE
    wy, wz = L.MAIN_WHEEL_REF[1], L.MAIN_WHEEL_REF[2]
    sx, sz = hx + 0.075, hz + 0.045
    wx = L.TOUCHDOWN_MAIN[0]
    return [
        (0, "main_trunnion", box((hx + 0.01, hy - 0.07, hz), (hx + 0.13, hy, hz + 0.09))),
        (1, "main_strut_upper", cylinder((sx, hy - 0.05, sz), (sx, hy - 0.62, sz), 0.045, 8)),
        (2, "main_strut_lower", cylinder((sx, hy - 0.60, sz), (sx, wy + 0.02, sz), 0.035, 8)),
        (3, "main_torque_link", box((sx - 0.012, hy - 0.78, sz + 0.035), (sx + 0.012, hy - 0.64, sz + 0.08))),
        (4, "main_axle", cylinder((sx, wy, wz), (wx - 0.09, wy, wz), 0.03, 8)),
        (5, "main_drag_brace", cylinder((sx, hy - 0.55, sz + 0.04), (sx, hy - 0.10, hz + 0.15), 0.02, 8)),
        (6, "main_leg_fairing", box((sx - 0.05, hy - 0.60, sz + 0.05), (sx + 0.05, hy - 0.12, sz + 0.06))),
        (7, "main_brake", cylinder((wx - 0.125, wy, wz), (wx - 0.09, wy, wz), 0.12, 10)),
        (8, "main_hydraulic_line", cylinder((sx - 0.05, hy - 0.1, sz + 0.02), (sx - 0.05, wy + 0.05, sz + 0.02), 0.006, 6)),
        (9, "main_landing_light", cylinder((sx, hy - 0.30, sz + 0.04), (sx, hy - 0.30, sz + 0.10), 0.035, 10)),
        (10, "main_wheel", wheel((wx, wy, wz), wy - L.TOUCHDOWN_MAIN[1], 0.20)),
    ]


def nose_door():
    """The nose door (closed geometry), ten pieces, then opened: plate in
    four strips, two goosenecks to the hinge line, two knuckles, two ribs."""
    hx, hy, hz = L.NOSE_DOOR_HINGE
    x1 = A.NOSE_WELL["x"]
    z0, z1 = A.NOSE_WELL["z"]
    y0 = A.NOSE_WELL["y"][0]
    zs = [z0 + 0.005 + (z1 - z0 - 0.01) * k / 4 for k in range(5)]
    pieces = [(f"nose_door_panel_{k}", box((hx, y0, zs[k]), (x1, y0 + DOOR_THICKNESS, zs[k + 1])))
              for k in range(4)]
    for name, z in (("aft", z0 + 0.12), ("fwd", hz)):
        pieces.append((f"nose_door_gooseneck_{name}", box((hx, y0 + DOOR_THICKNESS, z - 0.018), (hx + 0.02, hy, z + 0.018))))
        pieces.append((f"nose_door_knuckle_{name}", cylinder((hx, hy, z - 0.03), (hx, hy, z + 0.03), KNUCKLE_R, 8)))
    for k, x in enumerate((-0.05, 0.15)):
        pieces.append((f"nose_door_rib_{k}", box((x, y0 + DOOR_THICKNESS, z0 + 0.1), (x + 0.015, y0 + 0.03, z1 - 0.1))))
    return [(name, p.rotated(L.NOSE_DOOR_HINGE, (0, 0, 1), -90.0)) for name, p in pieces]


def main_door():
    """Right main door closed over the deep well, then opened (inverse of
    its +90 degrees about +z): plate strips and three knuckles."""
    hx, hy, hz = L.MAIN_DOOR_HINGE
    x1 = A.WELL_X[1]
    _, step, front = A.WELL_Z
    zs = [step + 0.003 + (front - step - 0.006) * k / 3 for k in range(4)]
    pieces = [(f"main_door_panel_{k}", box((hx, hy, zs[k]), (x1, hy + DOOR_THICKNESS, zs[k + 1]))) for k in range(3)]
    for k, z in enumerate((step + 0.15, 0.5, hz)):
        pieces.append((f"main_door_knuckle_{k}",
                       cylinder((hx, hy + KNUCKLE_R, z - 0.03), (hx, hy + KNUCKLE_R, z + 0.03), KNUCKLE_R, 8)))
    ref = (hx, hy, hz)
    return [(name, p.rotated(ref, (0, 0, 1), -90.0)) for name, p in pieces]


def rear_door():
    """Right rear door closed over the shallow well behind the step, then
    opened by the inverse of the -105 degree swing."""
    hx, hy, hz = L.REAR_DOOR_HINGE
    x0, x1 = A.WELL_X
    step = A.WELL_Z[1]
    xm = (x0 + x1) / 2
    pieces = [("rear_door_panel_in", box((x0 + 0.003, hy, hz), (xm, hy + DOOR_THICKNESS, step - 0.003))),
              ("rear_door_panel_out", box((xm, hy, hz), (x1 - 0.003, hy + DOOR_THICKNESS, step - 0.003))),
              ("rear_door_knuckle_in", cylinder((hx, hy + KNUCKLE_R, hz), (hx + 0.06, hy + KNUCKLE_R, hz), KNUCKLE_R, 8)),
              ("rear_door_knuckle_out", cylinder((x1 - 0.07, hy + KNUCKLE_R, hz), (x1 - 0.01, hy + KNUCKLE_R, hz), KNUCKLE_R, 8))]
    return [(name, p.rotated((hx, hy, hz), (1, 0, 0), -L.GEAR_SWING_DEG)) for name, p in pieces]
