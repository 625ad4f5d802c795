#!/usr/bin/env python3
"""Writes the vessel's meshes and sounds: make-assets.py [OUTDIR]

OUTDIR defaults to the repository's assets/ folder; the files go to
OUTDIR/Meshes/Ombrix/*.msh and OUTDIR/Sound/Vantorel/*.wav. The output is
byte-identical from run to run (tests/assets compares it with the committed
files).
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from assetgen import cockpit, exterior, sounds  # noqa: E402


def main(argv):
    if len(argv) > 2:
        sys.exit("usage: make-assets.py [OUTDIR]")
    root = pathlib.Path(argv[1]) if len(argv) == 2 else pathlib.Path(__file__).resolve().parent.parent / "assets"
    meshes = root / "Meshes" / "Ombrix"
    sound = root / "Sound" / "Vantorel"
    meshes.mkdir(parents=True, exist_ok=True)
    sound.mkdir(parents=True, exist_ok=True)
    outputs = {meshes / "Vantorel.msh": exterior.build().text().encode()}
    unlit, lit = cockpit.build()
    outputs[meshes / "Vantorel-Cpit.msh"] = unlit.text().encode()
    outputs[meshes / "Vantorel-Cpit_n.msh"] = lit.text().encode()
    for name, make in sounds.SOUNDS.items():
        outputs[sound / name] = sounds.wav_bytes(make())
    for path, data in outputs.items():
        path.write_bytes(data)
        print(f"wrote {path} ({len(data)} bytes)")


if __name__ == "__main__":
    main(sys.argv)
