"""Sanity of the committed meshes and sounds against the module's numbers."""
import math
import pathlib
import sys
import unittest
import wave
import struct

from meshfile import ASSETS, ROOT, read_mesh

sys.path.insert(0, str(ROOT / "scripts"))
from assetgen import layout as L  # noqa: E402
from assetgen.geom import cross, dot, rotate_point, rotate_vec, sub, unit  # noqa: E402

EXTERIOR, COCKPIT, COCKPIT_LIT = (read_mesh(n) for n in ("Vantorel.msh", "Vantorel-Cpit.msh", "Vantorel-Cpit_n.msh"))


def area(a, b, c):
    n = cross(sub(b, a), sub(c, a))
    return 0.5 * math.sqrt(dot(n, n))


def signed_volume(groups):
    total = 0.0
    for g in groups:
        for i, j, k in g.tris:
            total += dot(g.verts[i], cross(g.verts[j], g.verts[k])) / 6.0
    return total


def face_normal_sum(group, transform=lambda p: p):
    acc = (0.0, 0.0, 0.0)
    for i, j, k in group.tris:
        a, b, c = (transform(group.verts[v]) for v in (i, j, k))
        n = cross(sub(b, a), sub(c, a))
        acc = (acc[0] + n[0], acc[1] + n[1], acc[2] + n[2])
    return acc


class GroupsTest(unittest.TestCase):
    def check_groups(self, mesh, count):
        groups, names, _, _ = mesh
        self.assertEqual(len(groups), count)
        for n, g in enumerate(groups):
            with self.subTest(group=n, label=g.label):
                self.assertTrue(g.label, "every group carries a LABEL")
                self.assertTrue(g.tris, "group is empty")
                self.assertTrue(1 <= g.material <= len(names), f"material {g.material} of {len(names)}")
                for t in g.tris:
                    self.assertTrue(all(0 <= v < len(g.verts) for v in t), f"index out of range in {t}")
                    self.assertGreater(area(*(g.verts[v] for v in t)), 1e-9, f"degenerate triangle {t}")
                for nrm in g.normals:
                    self.assertAlmostEqual(math.sqrt(dot(nrm, nrm)), 1.0, delta=2e-3)

    def test_exterior_has_groups_0_to_419(self):
        self.check_groups(EXTERIOR, L.EXTERIOR_GROUPS)

    def test_cockpits_have_groups_0_to_331(self):
        self.check_groups(COCKPIT, L.COCKPIT_GROUPS)
        self.check_groups(COCKPIT_LIT, L.COCKPIT_GROUPS)

    def test_lit_cockpit_differs_only_in_materials(self):
        unlit, lit = COCKPIT[3], COCKPIT_LIT[3]
        cut = lambda lines: lines[:lines.index(next(ln for ln in lines if ln.startswith("MATERIALS")))]
        self.assertEqual(cut(unlit), cut(lit))
        self.assertEqual(COCKPIT[1], COCKPIT_LIT[1])
        glowing = [n for n, rows in COCKPIT_LIT[2].items() if sum(rows[3][:3]) > 0]
        self.assertIn("marking", glowing)
        self.assertFalse([n for n, rows in COCKPIT[2].items() if sum(rows[3][:3]) > 0])


class WindingTest(unittest.TestCase):
    def labelled(self, prefixes, exact=()):
        return [g for g in EXTERIOR[0] if g.label.startswith(prefixes) or g.label in exact]

    def test_fuselage_with_its_well_is_closed_and_faces_out(self):
        parts = self.labelled(("fuselage_",), ("nose_gear_well",))
        volume = signed_volume(parts)
        self.assertGreater(volume, 5.0, "fuselage volume should be several cubic metres, positive")
        shifted = signed_volume([type(g)(g.label, 0, [(v[0] + 3, v[1] - 2, v[2] + 7) for v in g.verts], [], g.tris, None)
                                 for g in parts])
        self.assertAlmostEqual(volume, shifted, delta=1e-3 * volume, msg="skin is not closed")

    def test_sponsons_with_their_wells_face_out(self):
        for side in ("left", "right"):
            parts = [g for g in EXTERIOR[0] if g.label.endswith("_" + side) and
                     (g.label.startswith("sponson_") or g.label.startswith("main_gear_well"))]
            self.assertGreater(signed_volume(parts), 0.5, side)

    def test_wheels_face_out(self):
        for g in (46, 329, 330):
            self.assertGreater(signed_volume([EXTERIOR[0][g]]), 0.01, EXTERIOR[0][g].label)


class GearTest(unittest.TestCase):
    WHEELS = [(L.NOSE_WHEEL_GROUP, L.TOUCHDOWN_NOSE, L.NOSE_WHEEL_REF),
              (L.MAIN_WHEEL_GROUP["left"], (-L.TOUCHDOWN_MAIN[0],) + L.TOUCHDOWN_MAIN[1:], L.MAIN_WHEEL_REF),
              (L.MAIN_WHEEL_GROUP["right"], L.TOUCHDOWN_MAIN, L.MAIN_WHEEL_REF)]

    def test_lowest_wheel_points_are_the_touchdown_points(self):
        for g, touchdown, _ in self.WHEELS:
            low = min(EXTERIOR[0][g].verts, key=lambda v: v[1])
            with self.subTest(group=g):
                self.assertAlmostEqual(low[1], touchdown[1], delta=0.02)
                self.assertLess(math.hypot(low[0] - touchdown[0], low[2] - touchdown[2]), 0.05)

    def test_wheels_centre_on_their_spin_axes(self):
        for g, _, ref in self.WHEELS:
            vs = EXTERIOR[0][g].verts
            cy = (min(v[1] for v in vs) + max(v[1] for v in vs)) / 2
            cz = (min(v[2] for v in vs) + max(v[2] for v in vs)) / 2
            with self.subTest(group=g):
                self.assertAlmostEqual(cy, ref[1], delta=0.01)
                self.assertAlmostEqual(cz, ref[2], delta=0.01)


class CockpitTest(unittest.TestCase):
    def test_each_drum_shows_digit_d_to_the_eye_at_state_d_tenths(self):
        groups = COCKPIT[0]
        for groups_of_drum, ref in L.DRUMS:
            for d in range(10):
                angle = L.DRUM_TURN_DEG * d / 10
                turn = lambda p: rotate_point(p, ref, (1, 0, 0), angle)
                facing = []
                for digit, g in enumerate(groups_of_drum):
                    grp = groups[g]
                    centre = turn(tuple(sum(v[k] for v in grp.verts) / len(grp.verts) for k in range(3)))
                    n = unit(face_normal_sum(grp, turn))
                    facing.append(dot(n, unit(sub(L.EYE, centre))))
                with self.subTest(drum=groups_of_drum[0], state=d / 10):
                    self.assertEqual(max(range(10), key=lambda k: facing[k]), d)
                    self.assertGreater(facing[d], math.cos(math.radians(5)))

    def test_displays_are_flat_and_face_the_eye(self):
        for g in list(L.DISPLAY_GROUPS.values()) + [L.HUD_GROUP]:
            grp = COCKPIT[0][g]
            n = unit(face_normal_sum(grp))
            centre = tuple(sum(v[k] for v in grp.verts) / len(grp.verts) for k in range(3))
            with self.subTest(group=g, label=grp.label):
                self.assertIsNotNone(grp.uvs, "display needs texture coordinates")
                self.assertTrue(all(abs(dot(sub(v, centre), n)) < 1e-4 for v in grp.verts), "not flat")
                self.assertGreater(dot(n, unit(sub(L.EYE, centre))), 0.99)

    def test_needles_sit_on_their_pivots_over_a_dial(self):
        dial_centres = []
        for grp in COCKPIT[0]:
            if grp.label.endswith("_dial_face"):
                xs = [v[0] for v in grp.verts]
                ys = [v[1] for v in grp.verts]
                dial_centres.append(((min(xs) + max(xs)) / 2, (min(ys) + max(ys)) / 2, (max(xs) - min(xs)) / 2))
        for name, (groups, pivot) in L.NEEDLES.items():
            with self.subTest(needle=name):
                self.assertEqual(pivot[2], 0.0)
                near = min(math.dist(v, pivot) for g in groups for v in COCKPIT[0][g].verts)
                self.assertLess(near, 0.015)
                self.assertTrue(any(math.hypot(pivot[0] - cx, pivot[1] - cy) < 0.2 * r for cx, cy, r in dial_centres),
                                "pivot is not at the centre of a dial")


class SoundTest(unittest.TestCase):
    LENGTHS = {"Vantorel-Eng.wav": (2.0, 5.0), "Vantorel-Gear.wav": (4.0, 7.0), "Vantorel-Flaps.wav": (1.5, 5.0)}

    def samples(self, name):
        with wave.open(str(ASSETS / "Sound" / "Vantorel" / name), "rb") as w:
            self.assertEqual((w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getcomptype()),
                             (1, 2, 22050, "NONE"), name)
            data = w.readframes(w.getnframes())
        return list(struct.unpack(f"<{len(data) // 2}h", data))

    def test_format_length_and_level(self):
        for name, (lo, hi) in self.LENGTHS.items():
            s = self.samples(name)
            with self.subTest(file=name):
                self.assertTrue(lo <= len(s) / 22050 <= hi, f"{len(s) / 22050} s")
                peak = max(abs(v) for v in s)
                self.assertLess(peak, 32000, "clips")
                self.assertGreater(peak, 8000, "nearly silent")

    def test_engine_loop_point_is_no_bigger_a_step_than_the_sound_takes(self):
        s = self.samples("Vantorel-Eng.wav")
        steps = sorted(abs(b - a) for a, b in zip(s, s[1:]))
        self.assertLessEqual(abs(s[0] - s[-1]), steps[int(0.99 * len(steps))])


if __name__ == "__main__":
    unittest.main()
