"""The generator's building blocks: the rotation rule, the writer, the
builders' winding and the sound synthesis."""
import math
import sys
import unittest

from meshfile import ROOT

sys.path.insert(0, str(ROOT / "scripts"))
from assetgen import geom, sounds  # noqa: E402
from assetgen.msh import Material, MeshBuilder, num  # noqa: E402


class RotationTest(unittest.TestCase):
    def test_gear_swing_takes_a_hanging_leg_forward_and_up(self):
        y, z = geom.rotate_vec((0.0, -1.0, 0.0), (1, 0, 0), -105)[1:]
        self.assertAlmostEqual(y, math.sin(math.radians(15)), places=9)
        self.assertAlmostEqual(z, math.cos(math.radians(15)), places=9)

    def test_door_turn_about_z_closes_a_hanging_door_towards_plus_x(self):
        x, y, _ = geom.rotate_vec((0.0, -1.0, 0.0), (0, 0, 1), 90)
        self.assertAlmostEqual(x, 1.0)
        self.assertAlmostEqual(y, 0.0)

    def test_axis_is_normalised(self):
        self.assertEqual(geom.rotate_vec((0, 1, 0), (0, 0, 5), 90), geom.rotate_vec((0, 1, 0), (0, 0, 1), 90))


class WindingTest(unittest.TestCase):
    def test_closed_builders_face_outward(self):
        ring = [(math.cos(a / 8 * math.pi), math.sin(a / 8 * math.pi)) for a in range(16)]
        rings = [[(x, y, z) for x, y in ring] for z in (0.0, 1.0, 2.0)]
        cases = {
            "box": geom.box((0, 0, 0), (1, 2, 3)),
            "rotated box": geom.oriented_box((1, 1, 1), (0, 0.5, 0), (1, 0, 0), (0, 0, 1)),
            "cylinder": geom.cylinder((0, 0, 0), (1, 2, 3), 0.5),
            "sphere": geom.sphere((0, 0, 0), 1.0),
            "loft": geom.merge(geom.loft(rings, caps=(True, True))),
            "loft listed backwards": geom.merge(geom.loft([r[::-1] for r in rings[::-1]], caps=(True, True))),
        }
        for name, patch in cases.items():
            with self.subTest(part=name):
                self.assertGreater(geom.signed_volume(patch), 0.0)
                self.assertGreater(geom.signed_volume(patch.mirrored_x()), 0.0, "mirror must keep winding outward")
                self.assertLess(geom.signed_volume(patch.inverted()), 0.0)

    def test_split_keeps_every_triangle(self):
        s = geom.sphere((0, 0, 0), 1.0, 6, 10)
        parts = geom.split(s, lambda c: c[1] > 0)
        self.assertEqual(sum(len(p.tris) for p in parts.values()), len(s.tris))


class WriterTest(unittest.TestCase):
    def test_numbers_are_fixed_precision_without_negative_zero(self):
        self.assertEqual([num(v, 5) for v in (-0.000001, 1.2, -3.0, 0.123456, 2.5e-6)],
                         ["0", "1.2", "-3", "0.12346", "0"])

    def test_a_missing_group_is_refused_by_number(self):
        m = MeshBuilder(3, [Material("m", (1, 1, 1, 1))])
        m.put(0, "a", "m", geom.box((0, 0, 0), (1, 1, 1)))
        m.put(2, "c", "m", geom.box((0, 0, 0), (1, 1, 1)))
        with self.assertRaisesRegex(ValueError, r"\[1\]"):
            m.text()
        with self.assertRaisesRegex(ValueError, "outside 0..2"):
            m.put(3, "d", "m", geom.box((0, 0, 0), (1, 1, 1)))

    def test_group_header_and_materials(self):
        m = MeshBuilder(1, [Material("hull", (0.5, 0.5, 0.5, 1))])
        m.put(0, "plate", "hull", geom.box((0, 0, 0), (1, 1, 1)))
        lines = m.text().splitlines()
        self.assertEqual(lines[:5], ["MSHX1", "GROUPS 1", "LABEL plate", "MATERIAL 1", "GEOM 24 12"])
        self.assertEqual(lines[-8:], ["MATERIALS 1", "hull", "MATERIAL hull", "0.5 0.5 0.5 1", "0.5 0.5 0.5 1",
                                      "0.2 0.2 0.2 1 10", "0 0 0 1", "TEXTURES 0"])


class SoundTest(unittest.TestCase):
    def test_lcg_is_the_fixed_recurrence(self):
        rng = sounds.Lcg(0)
        self.assertEqual(rng.next(), 1013904223 / 2147483648.0 - 1.0)
        self.assertEqual(rng.state, 1013904223)

    def test_engine_is_periodic_over_its_length(self):
        s = sounds.engine(0.5)
        steps = [abs(b - a) for a, b in zip(s, s[1:])]
        self.assertLess(abs(s[0] - s[-1]), max(steps))

    def test_normalised_below_full_scale(self):
        data = sounds.wav_bytes([0.0, 10.0, -20.0, 5.0])
        frames = data[-8:]
        values = [int.from_bytes(frames[i:i + 2], "little", signed=True) for i in range(0, 8, 2)]
        self.assertEqual(min(values), -round(sounds.PEAK * 32767))
        self.assertLess(max(abs(v) for v in values), 32767)


if __name__ == "__main__":
    unittest.main()
