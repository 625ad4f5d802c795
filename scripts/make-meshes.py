#!/usr/bin/env python3
"""Writes the placeholder meshes the stand-in host loads.

The host only needs the files to exist; the group numbering is what the
vessel's animations and cockpit displays rely on: the exterior mesh has groups
0 to 419, both cockpit meshes groups 0 to 331. Every group is one small
triangle, so a viewer shows where a group's pivot would be, nothing more.
"""
import pathlib

MESHES = {
    "Vantorel": 420,       # exterior: groups up to 419
    "Vantorel-Cpit": 332,  # cockpit, lights off: groups up to 331
    "Vantorel-Cpit_n": 332,  # cockpit, lights on: same numbering
}


def mesh_text(groups: int) -> str:
    lines = ["MSHX1", f"GROUPS {groups}"]
    for g in range(groups):
        lines += [f"LABEL group{g}", "GEOM 3 1",
                  "0 0 0 0 1 0", "0.01 0 0 0 1 0", "0 0 0.01 0 1 0",
                  "0 1 2"]
    lines += ["MATERIALS 0", "TEXTURES 0"]
    return "\n".join(lines) + "\n"


def main() -> None:
    out = pathlib.Path(__file__).resolve().parent.parent / "assets" / "Meshes" / "Ombrix"
    out.mkdir(parents=True, exist_ok=True)
    for name, groups in MESHES.items():
        (out / f"{name}.msh").write_text(mesh_text(groups))
        print(f"wrote {out / (name + '.msh')} ({groups} groups)")


if __name__ == "__main__":
    main()
