"""Reads the MSHX1 files the generator writes, for the tests."""
import pathlib

ROOT = pathlib.Path(__file__).resolve().parents[2]
ASSETS = ROOT / "assets"


class Group:
    def __init__(self, label, material, verts, normals, tris, uvs):
        self.label, self.material, self.verts, self.normals, self.tris, self.uvs = \
            label, material, verts, normals, tris, uvs


def read_mesh(name):
    lines = [ln for ln in (ASSETS / "Meshes" / "Ombrix" / name).read_text().split("\n") if ln and not ln.startswith(";")]
    assert lines[0] == "MSHX1", f"{name}: first line {lines[0]!r}"
    count = int(lines[1].split()[1])
    i, groups = 2, []
    for _ in range(count):
        label, material = None, 0
        while not lines[i].startswith("GEOM"):
            key, _, value = lines[i].partition(" ")
            if key == "LABEL":
                label = value
            elif key == "MATERIAL":
                material = int(value)
            i += 1
        nv, nt = map(int, lines[i].split()[1:3])
        rows = [list(map(float, lines[i + 1 + k].split())) for k in range(nv)]
        tris = [tuple(map(int, lines[i + 1 + nv + k].split())) for k in range(nt)]
        i += 1 + nv + nt
        groups.append(Group(label, material, [tuple(r[:3]) for r in rows], [tuple(r[3:6]) for r in rows], tris,
                            [tuple(r[6:8]) for r in rows] if rows and len(rows[0]) == 8 else None))
    k = int(lines[i].split()[1])
    names = lines[i + 1:i + 1 + k]
    i += 1 + k
    materials = {}
    for _ in range(k):
        rows = [list(map(float, lines[i + j].split())) for j in range(1, 5)]
        materials[lines[i].split()[1]] = rows
        i += 5
    return groups, names, materials, lines
