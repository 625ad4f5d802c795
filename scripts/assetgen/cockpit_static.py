"""Fixed cockpit structure spread over the cockpit's static groups: panel
tiles, dial faces and bezels, display bezels and their buttons, the drum
housing, pedestal, consoles, seat, floor, walls, and rows of switches."""
import math

from . import instruments as I
from . import layout as L
from .geom import box, cylinder, merge
from .instruments import flat

P = {"x": 0.68, "y": (-0.38, 0.40), "depth": 0.03}


def panel_tiles(cols=6, rows=4):
    """The panel plate in tiles: its face in the plane z = 0."""
    out = []
    x0, x1 = -P["x"], P["x"]
    y0, y1 = P["y"]
    for r in range(rows):
        for c in range(cols):
            a = (x0 + (x1 - x0) * c / cols, y0 + (y1 - y0) * r / rows, 0.0)
            b = (x0 + (x1 - x0) * (c + 1) / cols, y0 + (y1 - y0) * (r + 1) / rows, P["depth"])
            out.append((f"panel_tile_{r}_{c}", "panel", box(a, b)))
    return out


def dials():
    out = []
    centres = {name: pivot for name, (_, pivot) in L.NEEDLES.items() if not name.startswith("clock")}
    centres["clock"] = L.CLOCK_PIVOT
    centres["heading"] = L.HEADING_CARD[1]
    for name in sorted(centres):
        face, marks, bezel = I.dial(centres[name], I.DIAL_RADIUS[name])
        out += [(f"{name}_dial_face", "dial", face), (f"{name}_dial_marks", "marking", marks),
                (f"{name}_bezel", "frame", bezel)]
    return out


def display_bezels(displays):
    out = []
    for name, ((cx, cy), half) in sorted(displays.items()):
        m = half + 0.025
        outer = [(cx - m, cy - m), (cx + m, cy - m), (cx + m, cy + m), (cx - m, cy + m)]
        inner = [(cx - half, cy - half), (cx + half, cy - half), (cx + half, cy + half), (cx - half, cy + half)]
        ring = merge([flat([inner[k], outer[k], outer[(k + 1) % 4], inner[(k + 1) % 4]], -0.002) for k in range(4)])
        out.append((f"display_{name}_bezel", "frame", ring))
        for side in (-1, 1):
            for k in range(5):
                y = cy - half + 0.02 + (2 * half - 0.04) * k / 4
                x = cx + side * (half + 0.0125)
                out.append((f"display_{name}_button_{'l' if side < 0 else 'r'}{k}", "switch",
                            box((x - 0.007, y - 0.005, -0.012), (x + 0.007, y + 0.005, -0.002))))
    return out


def drum_housing():
    """Counter box round the drums: back, top, bottom, and a front mask with
    a window one digit high."""
    x0, x1 = -0.075, 0.075
    y = L.DRUM_REF_LOW[1]
    win = 0.0068
    front = -0.158
    return [("drum_housing_back", "dial", box((x0, y - 0.03, -0.10), (x1, y + 0.03, -0.095))),
            ("drum_housing_top", "panel", box((x0, y + 0.028, front), (x1, y + 0.032, -0.095))),
            ("drum_housing_bottom", "panel", box((x0, y - 0.032, front), (x1, y - 0.028, -0.095))),
            ("drum_housing_mask_upper", "panel", box((x0, y + win, front - 0.003), (x1, y + 0.028, front))),
            ("drum_housing_mask_lower", "panel", box((x0, y - 0.028, front - 0.003), (x1, y - win, front))),
            ("drum_body", "dial", cylinder((x0 + 0.01, y, L.DRUM_REF_LOW[2]), (x1 - 0.01, y, L.DRUM_REF_LOW[2]), 0.018, 20)),
            ("drum_housing_sides", "panel", merge([box((x0 - 0.004, y - 0.032, front - 0.003), (x0, y + 0.032, -0.095)),
                                                   box((x1, y - 0.032, front - 0.003), (x1 + 0.004, y + 0.032, -0.095))]))]


def structure(pedestal, throttle_at):
    tx, ty, tz = throttle_at
    out = [("centre_pedestal", "panel", box(*pedestal)),
           ("glare_shield", "panel", box((-P["x"], P["y"][1], -0.12), (P["x"], P["y"][1] + 0.02, 0.03))),
           ("floor", "floor", box((-0.7, -0.70, -2.2), (0.7, -0.66, 0.4))),
           ("seat_cushion", "seat", box((-0.25, -0.48, -2.05), (0.25, -0.38, -1.55))),
           ("seat_back", "seat", box((-0.25, -0.38, -2.15), (0.25, 0.30, -2.03))),
           ("seat_headrest", "seat", box((-0.13, 0.32, -2.16), (0.13, 0.48, -2.05))),
           ("pedal_support", "frame", box((-0.04, -0.70, 0.14), (0.04, -0.28, 0.17))),
           ("throttle_quadrant", "panel", box((tx - 0.05, ty - 0.09, tz - 0.05), (tx + 0.05, ty - 0.065, tz + 0.22))),
           ("hud_post_left", "frame", cylinder((-0.36, 0.18, -0.40), (-0.36, 0.42, -0.40), 0.008, 8)),
           ("hud_post_right", "frame", cylinder((0.36, 0.18, -0.40), (0.36, 0.42, -0.40), 0.008, 8))]
    for side, s in (("right", 1), ("left", -1)):
        out += [(f"side_console_{side}", "panel", box((min(s * 0.52, s * 0.70), -0.66, -2.0), (max(s * 0.52, s * 0.70), -0.24, -0.05))),
                (f"side_wall_{side}", "frame", box((min(s * 0.70, s * 0.74), -0.66, -2.2), (max(s * 0.70, s * 0.74), 0.40, 0.30)))]
    return out


def switches(count):
    """Toggle switches on the consoles' tops, right console first."""
    out = []
    per_row = 8
    for k in range(count):
        side = 1 if k % 2 == 0 else -1
        j = k // 2
        row, col = divmod(j, per_row)
        if row > 5:
            raise ValueError("more switches than the consoles have room for")
        x = side * (0.56 + 0.03 * row)
        z = -1.9 + 0.2 * col + (0.08 if side < 0 else 0.0)
        if side < 0 and abs(z - THROTTLE_Z) < 0.35:
            z += 0.5
        out.append((f"switch_{'right' if side > 0 else 'left'}_{j}", "switch",
                    merge([box((x - 0.008, -0.24, z - 0.006), (x + 0.008, -0.232, z + 0.006)),
                           cylinder((x, -0.232, z), (x, -0.205, z - 0.008), 0.003, 6)])))
    return out


THROTTLE_Z = -0.80
