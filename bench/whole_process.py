#!/usr/bin/env python3
"""Times vantorel-sim as a user runs it, whole process, and prints each speed
goal next to its figure with "pass" or "falls short"; with --scaling, also the
scaling tables (replay with 1 to 10 000 vessels, flights 1x to 100x long, and
the asset tools on the shipped exterior and detailed copies of it with 100 000
and 1 000 000 triangles); --assets prints only the asset tools' table.

    bench/whole_process.py [--bin path/to/vantorel-sim] [--runs N] [--scaling | --assets]

Wall time by time.perf_counter around each process, peak memory from the
child's resource usage; the median of N runs (default 7) and the spread
(lowest to highest). Needs nothing beyond Python's standard library. The
machine should be quiet: wall time counts everybody's work.
"""
import argparse
import contextlib
import io
import json
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

import doc_section

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BIN = os.path.join(HERE, "..", "build", "default", "bin", "vantorel-sim")
ASSETS = os.path.join(HERE, "..", "assets")
SUBDIVIDE = os.path.join(HERE, "..", "scripts", "subdivide-mesh.py")
EXTERIOR = "Vantorel.msh"

# The asset tools timed on each detailed copy: name, the command for an asset
# folder (and a scratch folder for its output), and the goal at a million
# triangles (seconds, peak megabytes). The glTF export joins this list as a
# row like the others once the command exists, e.g.
#     ("export", lambda sim, assets, out: [sim, "export", "--assets", assets,
#                                          "--out", os.path.join(out, "v.glb")], (2.0, 1024)),
ASSET_TOOLS = [
    ("check-assets", lambda sim, assets, out: [sim, "check-assets", assets], (5.0, 1024)),
    ("render 1920x1080", lambda sim, assets, out: [sim, "render", "--assets", assets, "--size", "1920x1080",
                                                   "--out", os.path.join(out, "r.png")], (2.0, 1024)),
    ("export", lambda sim, assets, out: [sim, "export", "--assets", assets, "--out", os.path.join(out, "x.glb")],
     (2.0, 1024)),
]
FRAMES_PER_LINE = 500
KEYS = ["G", "0", "F", "K"]


def busy_script(path, frames):
    """The replay benchmark's script (bench/replay_bench.cpp): a key every 500
    frames, readings changing with every line."""
    with open(path, "w") as f:
        for i in range(max(1, frames // FRAMES_PER_LINE)):
            line = {"airspeed": 50.0 + (i % 40) * 10.0, "altitude": 100.0 + i * 70.0, "thrust": (i % 5) / 4.0,
                    "ground": False, "keys": [KEYS[i % 4]], "repeat": min(FRAMES_PER_LINE, frames)}
            f.write(json.dumps(line) + "\n")


TIME = "/usr/bin/time"


def run_once(cmd, cwd):
    """Wall seconds, CPU seconds (user + system) and standard output of one run."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out = proc.stdout.read()
    err = proc.stderr.read()
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.stderr.write(err.decode(errors="replace"))
        raise SystemExit(f"{' '.join(cmd)} failed with status {code}")
    return wall, usage.ru_utime + usage.ru_stime, out.decode(errors="replace")


def peak_rss_kb(cmd, cwd):
    """Peak resident memory of one more run. A child forked from Python starts
    its record with Python's own memory, so GNU time's count is used when it is
    installed; without it the figure is an upper bound."""
    if os.path.exists(TIME):
        with tempfile.NamedTemporaryFile("r", dir=cwd) as f:
            run_once([TIME, "-f", "%M", "-o", f.name] + cmd, cwd)
            return int(f.read().split()[-1])
    proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return os.wait4(proc.pid, 0)[2].ru_maxrss


def measure(cmd, cwd, runs):
    results = [run_once(cmd, cwd) for _ in range(runs)]
    walls = sorted(r[0] for r in results)
    return {"median": statistics.median(walls), "low": walls[0], "high": walls[-1],
            "cpu": statistics.median(r[1] for r in results), "rss_kb": peak_rss_kb(cmd, cwd),
            "out": results[-1][2]}


def flight_figures(out):
    m = re.search(r"\(([\d.]+) s, (\d+) frames\)", out)
    if not m:
        raise SystemExit("no flight time in the fly summary:\n" + out)
    return float(m.group(1)), int(m.group(2))


def spread(m):
    return f"{m['low'] * 1e3:.0f}-{m['high'] * 1e3:.0f} ms"


def cpu(m):
    return f"{m['cpu'] * 1e3:.0f} ms"


def goals(binary, work, runs):
    rows = []
    fly = measure([binary, "fly", "-q"], work, runs)
    sim_s, frames = flight_figures(fly["out"])
    speed = sim_s / fly["median"]
    rows.append(("fly -q (built-in flight)", f"{fly['median'] * 1e3:.1f} ms, {speed:,.0f}x real time",
                 spread(fly), cpu(fly), ">= 20,000x", speed >= 20000))
    csv, svg = os.path.join(work, "t.csv"), os.path.join(work, "t.svg")
    plot = measure([binary, "fly", "-q", "--csv", csv, "--svg", svg], work, runs)
    speed = sim_s / plot["median"]
    rows.append(("fly -q --csv --svg", f"{plot['median'] * 1e3:.1f} ms, {speed:,.0f}x real time",
                 spread(plot), cpu(plot), ">= 12,000x", speed >= 12000))
    page = os.path.join(work, "t.html")
    html = measure([binary, "fly", "-q", "--csv", csv, "--svg", svg, "--html", page], work, runs)
    added, size = html["median"] - plot["median"], os.path.getsize(page)
    rows.append(("fly -q --csv --svg --html", f"+{added:.3f} s, page {size / 1e6:.2f} MB", spread(html), cpu(html),
                 "+ < 0.2 s, < 3 MB", added < 0.2 and size < 3e6))
    script = os.path.join(work, "busy.jsonl")
    busy_script(script, 100000)
    trace = measure([binary, "replay", script, "--trace", os.devnull], work, runs)
    rows.append(("replay --trace, 100,000 frames", f"{trace['median']:.3f} s", spread(trace), cpu(trace),
                 "<= 0.5 s", trace["median"] <= 0.5))
    glb = os.path.join(work, "exterior.glb")
    export = measure([binary, "export", "--out", glb], work, runs)
    size = os.path.getsize(glb)
    rows.append(("export (the exterior .glb)", f"{export['median']:.3f} s, {size / 1e6:.2f} MB", spread(export),
                 cpu(export), "<= 0.3 s, < 2 MB", export["median"] <= 0.3 and size < 2e6))
    header = ("command", "wall (median)", f"spread of {runs}", "CPU (median)", "goal", "")
    table = [header] + [r[:-1] + ("pass" if r[-1] else "falls short",) for r in rows]
    print_table(table)
    print("\nthe page in a browser (first frame, playback): node bench/flight_page.mjs")
    print(f"\nbuilt-in flight: {sim_s} s simulated in {frames} frames; one frame of flight model, module and "
          "host alone: BM_FlightFrame in bench/report.py (goal <= 1.0 us)")


def scaling(binary, work, runs):
    print("\nreplay, no trace: the busy script, every vessel stepped each frame")
    print("(frames/s from the difference of a run of F and of 3F frames: start-up and vessel creation cancel)")
    table = [("vessels", "F", "wall, F frames", "wall, 3F frames", "frames/s", "vessel-steps/s", "peak RSS")]
    rss = {}
    for n in (1, 10, 100, 1000, 10000):
        frames = max(50, 100000 // n)
        walls = []
        for k in (1, 3):
            script = os.path.join(work, f"busy{k * frames}.jsonl")
            busy_script(script, k * frames)
            m = measure([binary, "replay", script, "--vessels", str(n)], work, max(1, runs // 2))
            walls.append(m["median"])
            rss[n] = max(rss.get(n, 0), m["rss_kb"])
        rate = 2 * frames / max(walls[1] - walls[0], 1e-9)
        table.append((f"{n:,}", f"{frames:,}", f"{walls[0]:.3f} s", f"{walls[1]:.3f} s", f"{rate:,.0f}",
                      f"{rate * n:,.0f}", f"{rss[n] / 1024:.1f} MB"))
    print_table(table)
    per_vessel_kb = (rss[10000] - rss[1]) / 9999
    print(f"memory per vessel: {per_vessel_kb:.1f} KB (peak RSS of 10,000 vessels less that of one, / 9,999)")

    print("\nfly -q: the built-in flight, and a cruise at 8,000 m (warp 10) cut by --time-limit at 10x and 100x")
    builtin = subprocess.run([binary, "fly", "--print-builtin"], capture_output=True, text=True, check=True).stdout
    cruise = os.path.join(work, "cruise.txt")
    with open(cruise, "w") as f:
        for line in builtin.splitlines():
            f.write(line + "\n")
            if line.startswith("when altitude_m > 1500"):
                f.write("when altitude_m > 8000    hold altitude 8000\n+0     hold speed 150\n")
    base = measure([binary, "fly", "-q"], work, runs)
    sim_s, _ = flight_figures(base["out"])
    table = [("length", "simulated", "frames", "wall (median)", "CPU (median)", "us/frame", "x real time",
              "peak RSS")]
    for k in (1, 10, 100):
        cmd = [binary, "fly", "-q"] if k == 1 else [binary, "fly", "-q", cruise, "--time-limit", f"{k * sim_s:.0f}"]
        m = base if k == 1 else measure(cmd, work, max(1, runs // 2))
        s, frames = flight_figures(m["out"])
        table.append((f"{k}x", f"{s:,.0f} s", f"{frames:,}", f"{m['median']:.3f} s", f"{m['cpu']:.3f} s",
                      f"{m['median'] / frames * 1e6:.2f}", f"{s / m['median']:,.0f}", f"{m['rss_kb'] / 1024:.1f} MB"))
    print_table(table)


def exterior_triangles(folder):
    with open(os.path.join(folder, "Meshes", "Ombrix", EXTERIOR)) as f:
        return sum(int(line.split()[2]) for line in f if line.startswith("GEOM"))


def detailed_copies(work):
    """The shipped assets and copies whose exterior is cut by midpoint
    subdivision to 100 000 and 1 000 000 triangles or just over."""
    copies = [("shipped", ASSETS)]
    for label, target in (("100k", 100000), ("1M", 1000000)):
        folder = os.path.join(work, "assets-" + label)
        subprocess.run([sys.executable, SUBDIVIDE, ASSETS, folder, "--triangles", str(target), "--mesh", EXTERIOR],
                       check=True, stderr=subprocess.DEVNULL)
        copies.append((label, folder))
    return [(label, folder, exterior_triangles(folder)) for label, folder in copies]


def asset_scaling(binary, work, runs):
    print("\nasset tools: the shipped exterior and copies cut finer (cockpit meshes as shipped)")
    table = [("exterior", "triangles", "tool", "wall (median)", "CPU (median)", "peak RSS", "goal at 1M", "")]
    for label, folder, triangles in detailed_copies(work):
        for name, command, (goal_s, goal_mb) in ASSET_TOOLS:
            m = measure(command(binary, folder, work), work, max(1, runs // 2))
            mb = m["rss_kb"] / 1024
            verdict = ""
            if label == "1M":
                verdict = "pass" if m["median"] <= goal_s and mb <= goal_mb else "falls short"
            table.append((label, f"{triangles:,}", name, f"{m['median']:.2f} s", f"{m['cpu']:.2f} s", f"{mb:.0f} MB",
                          f"<= {goal_s:g} s, {goal_mb} MB" if label == "1M" else "", verdict))
    print_table(table)


def print_table(rows):
    widths = [max(len(str(r[i])) for r in rows) for i in range(len(rows[0]))]
    for i, r in enumerate(rows):
        print("  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip())
        if i == 0:
            print("  ".join("-" * w for w in widths))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--bin", default=DEFAULT_BIN, help="the vantorel-sim to time")
    ap.add_argument("--runs", type=int, default=7, help="runs per figure (the median is reported)")
    ap.add_argument("--scaling", action="store_true", help="also print the scaling tables")
    ap.add_argument("--assets", action="store_true", help="print only the asset tools' scaling table")
    ap.add_argument("--write-doc", metavar="PAGE", help="also write the figures into PAGE's generated section "
                    "(docs/benchmarks.md)")
    ap.add_argument("--note", default="", help="a sentence for the section's heading (how the machine was)")
    args = ap.parse_args()
    binary = os.path.abspath(args.bin)
    shown = io.StringIO()
    with tempfile.TemporaryDirectory() as work:  # a failing sound connection logs into it
        with contextlib.redirect_stdout(Tee(sys.stdout, shown)):
            with open("/proc/loadavg") as f:
                print(f"load average at the start: {f.read().split()[0]} (on a quiet machine: below 0.5)\n")
            if args.assets:
                asset_scaling(binary, work, args.runs)
            else:
                goals(binary, work, args.runs)
                if args.scaling:
                    scaling(binary, work, args.runs)
                    asset_scaling(binary, work, args.runs)
    if args.write_doc:
        body = shown.getvalue().split("\n", 2)[2]  # the load is in the heading
        flags = " --assets" if args.assets else " --scaling" if args.scaling else ""
        doc_section.rewrite(args.write_doc, "whole_process.py",
                            f"`bench/whole_process.py --runs {args.runs}{flags}`:\n\n"
                            f"```text\n{body.rstrip()}\n```", (" " + args.note) if args.note else "")


class Tee:
    def __init__(self, *outs):
        self.outs = outs

    def write(self, text):
        for o in self.outs:
            o.write(text)

    def flush(self):
        for o in self.outs:
            o.flush()


if __name__ == "__main__":
    main()
