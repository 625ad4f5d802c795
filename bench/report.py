#!/usr/bin/env python3
"""Runs vantorel_bench with JSON output and prints each measurement next to its
baseline and goal.

    bench/report.py [path/to/vantorel_bench] [extra benchmark flags...]

Times are CPU time per item (the machine is shared, so wall time also counts
other people's work), the median of the repetitions. The goals of the
commands as a user runs them, whole process: bench/whole_process.py.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

import doc_section

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BINARY = os.path.join(HERE, "..", "build", "default", "bin", "vantorel_bench")


def run(binary, extra):
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "bench.json")
        # A scratch working directory: a failing sound connection logs into it.
        proc = subprocess.run([binary, "--benchmark_out=" + out, "--benchmark_out_format=json",
                               "--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"] + extra,
                              cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if proc.returncode != 0:
            sys.stderr.write(proc.stderr)
            raise SystemExit(f"{binary} failed with status {proc.returncode}")
        with open(out) as f:
            return json.load(f)


def per_item_ns(results):
    """Median CPU nanoseconds per item, by benchmark name."""
    times = {}
    for b in results["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        if b.get("error_occurred"):
            raise SystemExit(f"{b['run_name']}: {b.get('error_message')}")
        items_per_s = b.get("items_per_second")
        scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
        ns = 1e9 / items_per_s if items_per_s else b["cpu_time"] * scale
        times[b["run_name"].split("/")[0]] = (ns, b)
    return times


def verdict(ok):
    return "(pass)" if ok else "(falls short)"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                 epilog="Other options (--benchmark_filter=REGEX, ...) go to vantorel_bench.")
    ap.add_argument("binary", nargs="?", default=DEFAULT_BINARY, help="the vantorel_bench to run "
                    "(default: build/default/bin/vantorel_bench)")
    ap.add_argument("--write-doc", metavar="PAGE", help="also write the table into PAGE's generated section "
                    "(docs/benchmarks.md)")
    ap.add_argument("--note", default="", help="a sentence for the section's heading (how the machine was)")
    args, extra = ap.parse_known_args()
    binary = os.path.abspath(args.binary)
    times = per_item_ns(run(binary, extra))
    rows = []

    def ns(name):
        return times[name][0] if name in times else None

    for fn in ("Vertical", "Horizontal"):
        m, b = ns(f"BM_{fn}Coeffs"), ns(f"BM_{fn}CoeffsBaseline")
        if m and b:
            rows.append((f"{fn.lower()} coefficients", f"{m:.2f} ns", f"{b:.2f} ns", f"{m / b:.2f}x", "<= 1.5x"))
    m, b = ns("BM_PostStep"), ns("BM_PostStepBaseline")
    if m and b:
        rows.append(("clbkPostStep (recorder off)", f"{m:.0f} ns", f"{b:.0f} ns host calls",
                     f"own logic {(m - b) / b:.2f}x calls", "own logic < calls"))
    c = ns("BM_VesselCreation")
    if c:
        rows.append(("vessel creation", f"{c / 1e3:.1f} us", "", "", ""))
    r = ns("BM_Replay100kFrames")
    if r:
        rows.append(("replay 100 000 frames, no trace", f"{r * 1e5 / 1e9:.2f} s", "", "", "seconds, not minutes"))
    r = ns("BM_Replay100kFramesTrace")
    if r:
        rows.append(("replay 100 000 frames, trace", f"{r * 1e5 / 1e9:.2f} s", "", "", "<= 0.5 s " + verdict(r * 1e5 / 1e9 <= 0.5)))
    f = ns("BM_FlightFrame")
    if f:
        rows.append(("one frame: flight model + module + host", f"{f:.0f} ns", "", "time acceleration 1, recorder off",
                     "<= 1.0 us " + verdict(f <= 1000)))
    if "BM_FlyBuiltIn" in times:
        bench = times["BM_FlyBuiltIn"][1]
        frame_ns = ns("BM_FlyBuiltIn")
        speed = bench.get("sim_s_per_wall_s")
        rows.append(("built-in flight, per frame", f"{frame_ns:.0f} ns", "", f"{speed:,.0f}x real time"
                     if speed else "", ">= 10 000x " + verdict(speed and speed >= 10000)))

    header = ("measurement", "module", "baseline", "ratio", "goal")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    lines = ["  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip()
             for r in [header, tuple("-" * w for w in widths)] + rows]
    print("\n".join(lines))
    if args.write_doc:
        doc_section.rewrite(args.write_doc, "report.py", "`bench/report.py " + " ".join(extra) + "`:\n\n```text\n"
                            + "\n".join(lines) + "\n```", (" " + args.note) if args.note else "")


if __name__ == "__main__":
    main()
