#!/usr/bin/env python3
"""Run the examples of README.md and docs/*.md and compare them with the page.

The markup (docs/quality.md, "Examples are tests"):
- a ```console block is a session: a line starting with "$ " is a command
  (a trailing backslash continues it), the lines after it up to the next
  command are what it prints, standard output and error together. A line
  holding only "..." stands for any number of lines; "[...]" inside a line
  stands for any text within that line.
- every command of a ```sh block runs; its output is not compared.
- a command exits with 0 unless it ends with "# exit N".
- <!-- doc-test: not run (REASON) --> on the line before a fence: shown only.
- <!-- doc-test: file NAME --> on the line before a fence: the block's text
  is written to NAME in the scratch folder for the examples after it.
Each page runs in a scratch folder of its own holding links to the source
tree's top folders, with build/default linked to the build under test and its
bin/ first on PATH. A failure names the page and the line.
"""
import argparse
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

RUN_KINDS = {"sh": "sh", "bash": "sh", "console": "console"}
MARKER = re.compile(r"<!--\s*doc-test:\s*(not run|file)\b\s*(.*?)\s*-->")
EXIT = re.compile(r"#\s*exit\s+(\d+)\s*$")
TIMEOUT_S = 300


class Block:
    def __init__(self, kind, line, lines, marker):
        self.kind, self.line, self.lines, self.marker = kind, line, lines, marker


def blocks_of(text):
    """Every fenced block: its info word, first content line, lines, marker."""
    out, lines, i = [], text.split("\n"), 0
    while i < len(lines):
        m = re.match(r"^(```+)\s*([\w+-]*)", lines[i])
        if not m:
            i += 1
            continue
        fence, kind, start = m.group(1), m.group(2).lower(), i
        j = i + 1
        while j < len(lines) and not lines[j].startswith(fence):
            j += 1
        prev = lines[start - 1] if start > 0 else ""
        mark = MARKER.search(prev)
        out.append(Block(kind, start + 2, lines[start + 1:j], mark.groups() if mark else None))
        i = j + 1
    return out


def commands_of(block):
    """(line, command, expected output lines) for each command of a block."""
    cmds, cur = [], None
    for n, raw in enumerate(block.lines, block.line):
        is_cmd = raw.startswith("$ ") if block.kind == "console" else True
        if cur is not None and cur[1].endswith("\\"):
            cur[1] = cur[1] + "\n" + raw
            continue
        if is_cmd:
            body = raw[2:] if block.kind == "console" else raw
            if block.kind == "sh" and (not body.strip() or body.lstrip().startswith("#")):
                continue
            cur = [n, body, []]
            cmds.append(cur)
        elif cur is not None:
            cur[2].append(raw)
    return cmds


def expected_status(command):
    m = EXIT.search(command.split("\n")[-1])
    return int(m.group(1)) if m else 0


def line_pattern(line):
    parts = [re.escape(p) for p in line.split("[...]")]
    return re.compile("^" + ".*".join(parts) + "$")


def matches(expected, actual):
    """Exact lines, "..." lines eating any run of lines (first fit, with backtracking)."""
    if not expected:
        return not actual
    if expected[0].strip() == "...":
        return any(matches(expected[1:], actual[k:]) for k in range(len(actual) + 1))
    return bool(actual) and bool(line_pattern(expected[0]).match(actual[0])) and matches(expected[1:], actual[1:])


def scratch_for(source, build):
    root = Path(tempfile.mkdtemp(prefix="doc-examples-"))
    for entry in source.iterdir():
        if entry.name not in ("build", ".git"):
            (root / entry.name).symlink_to(entry)
    (root / "build").mkdir()
    (root / "build" / "default").symlink_to(build)
    return root


def run_page(page, rel, source, build, env):
    scratch = scratch_for(source, build)
    try:
        failures = run_blocks(page, rel, scratch, env)
    finally:
        shutil.rmtree(scratch)  # links are removed, not followed
    return failures


def run_blocks(page, rel, scratch, env):
    failures = []
    for block in blocks_of(page.read_text(encoding="utf-8")):
        kind = RUN_KINDS.get(block.kind)
        if block.marker and block.marker[0] == "file":
            (scratch / block.marker[1]).write_text("\n".join(block.lines) + "\n", encoding="utf-8")
            continue
        if kind is None:
            if any(l.startswith("$ ") for l in block.lines):
                failures.append(f"{rel}:{block.line}: a session in a ```{block.kind} block: mark it ```console")
            continue
        if block.marker:  # not run
            continue
        for line, command, output in commands_of(block):
            failures += run_command(rel, line, command, output if kind == "console" else None, scratch, env)
    return failures


def run_command(rel, line, command, expected, scratch, env):
    try:
        p = subprocess.run(["bash", "-c", command], cwd=scratch, env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=TIMEOUT_S)
    except subprocess.TimeoutExpired:
        return [f"{rel}:{line}: `{command}` ran longer than {TIMEOUT_S} s"]
    text = p.stdout.decode("utf-8", "replace")
    got = text.split("\n")
    if got and got[-1] == "":
        got.pop()
    failures = []
    want_status = expected_status(command)
    if p.returncode != want_status:
        failures.append(f"{rel}:{line}: `{command}` exited with {p.returncode}, the page says {want_status}\n"
                        + indent(text))
    elif expected is not None and not matches(expected, got):
        failures.append(f"{rel}:{line}: `{command}` printed other than the page shows (- page, + printed):\n"
                        + difference(expected, got))
    return failures


def difference(expected, got, limit=30):
    """The page's lines against the output, from the first that differs."""
    diff = [l for l in difflib.unified_diff(expected, got, lineterm="", n=1)][2:]
    more = [f"    ({len(diff) - limit} more lines)"] if len(diff) > limit else []
    return "\n".join(["    " + l for l in diff[:limit]] + more)


def indent(text, limit=40):
    lines = text.rstrip("\n").split("\n")
    more = [f"    ({len(lines) - limit} more lines)"] if len(lines) > limit else []
    return "\n".join(["    | " + l for l in lines[:limit]] + more)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("source", type=Path, help="the source tree (README.md, docs/)")
    ap.add_argument("build", type=Path, help="the build folder whose bin/vantorel-sim is tested")
    ap.add_argument("pages", nargs="*", help="only these pages (paths relative to the source tree)")
    a = ap.parse_args()
    source, build = a.source.resolve(), a.build.resolve()
    env = dict(os.environ, COLUMNS="80", PATH=f"{build / 'bin'}{os.pathsep}{os.environ.get('PATH', '')}", LC_ALL="C.UTF-8")
    pages = [source / p for p in a.pages] or [source / "README.md", *sorted((source / "docs").glob("*.md"))]
    failures = []
    for page in pages:
        failures += run_page(page, page.relative_to(source), source, build, env)
    for f in failures:
        print(f, file=sys.stderr)
    print(f"{len(pages)} pages, {len(failures)} failing examples")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
