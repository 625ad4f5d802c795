"""The host's mesh text format (MSHX1), written with fixed precision.

A MeshBuilder collects patches per group number; write() emits every group
from 0 to the last, each with its LABEL and MATERIAL, then the material list.
"""
from .geom import merge


def num(v, places):
    """Fixed-precision number without trailing zeros and without '-0'."""
    text = f"{v:.{places}f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "", "-") else text


class Material:
    def __init__(self, name, diffuse, ambient=None, specular=(0.2, 0.2, 0.2, 1.0, 10.0),
                 emissive=(0.0, 0.0, 0.0, 1.0)):
        self.name = name
        self.diffuse = diffuse
        self.ambient = ambient or diffuse
        self.specular = specular
        self.emissive = emissive

    def lines(self):
        row = lambda vals: " ".join(num(v, 3) for v in vals)
        return [f"MATERIAL {self.name}", row(self.diffuse), row(self.ambient),
                row(self.specular), row(self.emissive)]


class MeshBuilder:
    def __init__(self, group_count, materials):
        self.group_count = group_count
        self.materials = materials
        self.index = {m.name: i + 1 for i, m in enumerate(materials)}
        self.groups = {}

    def put(self, group, label, material, patches):
        """Add patches to a group; the first call names it."""
        if not 0 <= group < self.group_count:
            raise ValueError(f"group {group} outside 0..{self.group_count - 1} ({label})")
        if isinstance(patches, list):
            patches = merge(patches)
        entry = self.groups.setdefault(group, {"label": label, "material": material, "parts": []})
        entry["parts"].append(patches)

    def missing(self):
        return [g for g in range(self.group_count) if g not in self.groups]

    def group_patch(self, g):
        return merge(self.groups[g]["parts"])

    def text(self):
        gaps = self.missing()
        if gaps:
            raise ValueError(f"groups without geometry: {gaps}")
        out = ["MSHX1", f"GROUPS {self.group_count}"]
        for g in range(self.group_count):
            out += self._group_lines(g)
        out.append(f"MATERIALS {len(self.materials)}")
        out += [m.name for m in self.materials]
        for m in self.materials:
            out += m.lines()
        out.append("TEXTURES 0")
        return "\n".join(out) + "\n"

    def _group_lines(self, g):
        entry = self.groups[g]
        p = merge(entry["parts"])
        uvs = None
        if any(part.uvs for part in entry["parts"]):
            uvs = [uv for part in entry["parts"] for uv in part.uvs]
        if not p.tris:
            raise ValueError(f"group {g} ({entry['label']}) has no triangles")
        lines = [f"LABEL {entry['label']}", f"MATERIAL {self.index[entry['material']]}",
                 f"GEOM {len(p.verts)} {len(p.tris)}"]
        for i, (v, n) in enumerate(zip(p.verts, p.normals)):
            row = [num(c, 5) for c in v] + [num(c, 4) for c in n]
            if uvs:
                row += [num(c, 4) for c in uvs[i]]
            lines.append(" ".join(row))
        lines += [f"{a} {b} {c}" for a, b, c in p.tris]
        return lines
