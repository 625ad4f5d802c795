#!/usr/bin/env python3
"""Copies an asset folder with its meshes cut finer: every triangle split into
four at its edge midpoints, the same surfaces with four times the triangles.

    scripts/subdivide-mesh.py SRC DST [--times N] [--triangles T] [--mesh NAME]...

SRC holds Meshes/ (and Sound/, Config/, Modules/, copied as they are). --times
N splits every triangle N times (default 1). --triangles T splits the whole
mesh as often as stays at or under T triangles, then splits groups once more,
first to last, until the mesh has T or more. --mesh limits the work to the
named files (e.g. Vantorel.msh); the others are copied unchanged.

Within a group neighbouring triangles share their new midpoint, so a closed
surface stays closed. A new vertex takes the mean of its edge's ends: position,
normal (made unit length again) and texture coordinates. Lines other than a
group's vertices and triangles are copied as written, and every vertex already
there keeps its line and index, the new ones appended after them. Only
Python's standard library.
"""
import argparse
import math
import pathlib
import shutil
import sys


def fields(line):
    return line.split(";", 1)[0].split()


class Geom:
    """One group's vertices (as text and numbers) and triangles."""

    def __init__(self, rows, texts, tris, normals):
        self.rows, self.texts, self.tris, self.normals = rows, texts, tris, normals

    def split(self):
        mids = {}
        rows, texts = self.rows, self.texts
        out = []

        def mid(i, j):
            key = (i, j) if i < j else (j, i)
            k = mids.get(key)
            if k is None:
                k = mids[key] = len(rows)
                rows.append(midpoint(rows[i], rows[j], self.normals))
                texts.append(None)
            return k

        for a, b, c in self.tris:
            ab, bc, ca = mid(a, b), mid(b, c), mid(c, a)
            out += [(a, ab, ca), (ab, b, bc), (ca, bc, c), (ab, bc, ca)]
        self.tris = out

    def lines(self):
        yield f"GEOM {len(self.rows)} {len(self.tris)}"
        for row, text in zip(self.rows, self.texts):
            yield text if text is not None else " ".join(repr(v) for v in row)
        for t in self.tris:
            yield f"{t[0]} {t[1]} {t[2]}"


def midpoint(p, q, normals):
    m = [(a + b) / 2 for a, b in zip(p, q)]
    if normals:
        n = math.sqrt(m[3] ** 2 + m[4] ** 2 + m[5] ** 2)
        if n > 0:
            m[3], m[4], m[5] = m[3] / n, m[4] / n, m[5] / n
    return m


def read(path):
    """The file as a list of text lines and Geom blocks, in order."""
    lines = path.read_text().split("\n")
    items, i, normals = [], 0, True
    while i < len(lines):
        words = fields(lines[i])
        if words and words[0] == "GEOM":
            nv, nt = int(words[1]), int(words[2])
            i += 1
            rows, texts, tris = [], [], []
            while len(rows) < nv or len(tris) < nt:
                if i >= len(lines):
                    raise SystemExit(f"{path}: unexpected end of file in a GEOM block")
                w = fields(lines[i])
                if w and len(rows) < nv:
                    rows.append([float(x) for x in w])
                    texts.append(lines[i])
                elif w:
                    tris.append(tuple(int(x) for x in w))
                i += 1
            items.append(Geom(rows, texts, tris, normals))
            normals = True
            continue
        if words and words[0] == "NONORMAL":
            normals = False
        items.append(lines[i])
        i += 1
    return items


def triangles(items):
    return sum(len(x.tris) for x in items if isinstance(x, Geom))


def subdivide(items, times, target):
    geoms = [x for x in items if isinstance(x, Geom)]
    if target is None:
        for _ in range(times):
            for g in geoms:
                g.split()
        return
    while triangles(items) * 4 <= target:
        for g in geoms:
            g.split()
    for g in geoms:
        if triangles(items) >= target:
            break
        g.split()


def write(items, path):
    with open(path, "w") as out:
        for x in items:
            if isinstance(x, Geom):
                for line in x.lines():
                    out.write(line + "\n")
            else:
                out.write(x + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("src", type=pathlib.Path)
    ap.add_argument("dst", type=pathlib.Path)
    ap.add_argument("--times", type=int, default=1, help="splits of every triangle (default 1)")
    ap.add_argument("--triangles", type=int, help="split until each mesh has at least this many triangles")
    ap.add_argument("--mesh", action="append", default=[], help="only this mesh file (repeatable)")
    args = ap.parse_args()
    if not (args.src / "Meshes").is_dir():
        raise SystemExit(f"{args.src}: no Meshes folder")
    if args.dst.exists():
        shutil.rmtree(args.dst)
    shutil.copytree(args.src, args.dst)
    for path in sorted((args.dst / "Meshes").rglob("*.msh")):
        if args.mesh and path.name not in args.mesh:
            continue
        items = read(path)
        subdivide(items, args.times, args.triangles)
        write(items, path)
        print(f"{path.relative_to(args.dst)}: {triangles(items)} triangles", file=sys.stderr)


if __name__ == "__main__":
    main()
