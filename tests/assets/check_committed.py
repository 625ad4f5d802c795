#!/usr/bin/env python3
"""Runs the asset generator into a scratch folder and compares its output
byte for byte with the committed assets: check_committed.py SOURCE_DIR"""
import pathlib
import subprocess
import sys
import tempfile

FILES = ["Meshes/Ombrix/Vantorel.msh", "Meshes/Ombrix/Vantorel-Cpit.msh", "Meshes/Ombrix/Vantorel-Cpit_n.msh",
         "Sound/Vantorel/Vantorel-Eng.wav", "Sound/Vantorel/Vantorel-Gear.wav", "Sound/Vantorel/Vantorel-Flaps.wav"]


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: check_committed.py SOURCE_DIR")
    src = pathlib.Path(argv[1])
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([sys.executable, "-B", str(src / "scripts" / "make-assets.py"), tmp], check=True,
                       stdout=subprocess.DEVNULL)
        differing = []
        for name in FILES:
            made, kept = pathlib.Path(tmp) / name, src / "assets" / name
            if not kept.is_file():
                differing.append(f"{name} (not committed)")
            elif not made.is_file():
                differing.append(f"{name} (not generated)")
            elif made.read_bytes() != kept.read_bytes():
                differing.append(name)
    if differing:
        print("committed assets differ from scripts/make-assets.py output; rerun it and commit:")
        for name in differing:
            print(f"  {name}")
        return 1
    print(f"all {len(FILES)} assets match the generator")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
