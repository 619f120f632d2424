#!/usr/bin/env python3
"""One table of the gated benchmark figures, printed and written as Markdown.

Usage: report.py <results folder> <goals.tsv> [<markdown file>]

The results folder holds what `make bench` left there: one Google Benchmark JSON file
per program (wall time per operation, the median of the repetitions) and records.txt,
to which the callgrind scripts append "<instr|wall|mem> <figure>/<variant> <base> <value>
<ratio>" lines ("mem": peak resident memory in kB). Each row of goals.tsv names a
"<figure>/<variant>"; its instruction, memory and wall-time figures are looked up in
both sources.

A row is judged by its instruction ratio where instructions are counted, because on a
shared machine that count repeats where wall time does not; a memory row by its memory
ratio (shown in the count columns); otherwise by wall time. A
wall time over the goal beside a counted row is noted in its result.
Exits with 1 when a gated figure has no measurement at all, since then a producer broke.
"""

import json
import math
import os
import statistics
import sys
from pathlib import Path

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
# Options a benchmark sets on itself end up in its name ("/min_time:1.000/manual_time").
TIMING_PARTS = {"real_time", "process_time", "manual_time"}


def base_name(name):
    parts = name.split("/")
    while len(parts) > 1 and (":" in parts[-1] or parts[-1] in TIMING_PARTS):
        parts.pop()
    return "/".join(parts)


def split_name(name):
    figure, _, variant = name.rpartition("/")
    return figure, variant


def read_benchmark_json(path):
    """{"<figure>/<variant>": ns per operation}, the median where repetitions ran."""
    medians, samples = {}, {}
    for run in json.loads(Path(path).read_text()).get("benchmarks", []):
        if run.get("error_occurred"):
            continue
        name = base_name(run.get("run_name") or run["name"])
        ns = float(run["real_time"]) * UNIT_NS[run.get("time_unit", "ns")]
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                medians[name] = ns
        else:
            samples.setdefault(name, []).append(ns)
    times = {name: statistics.median(values) for name, values in samples.items()}
    times.update(medians)
    return times


def read_measurements(folder):
    """{("instr"|"wall"|"mem", "<figure>/<variant>"): (base per op, value per op)}."""
    found = {}
    folder = Path(folder)
    for path in sorted(folder.glob("*.json")):
        times = read_benchmark_json(path)
        for name, ns in times.items():
            figure, variant = split_name(name)
            base = times.get(figure + "/baseline")
            if figure and variant != "baseline" and base:
                found[("wall", name)] = (base, ns)
    records = folder / "records.txt"
    if records.exists():
        # Later lines win, and the callgrind scripts' wall times over the benchmark
        # programs': their figures are the ones their instruction counts belong to.
        for line in records.read_text().splitlines():
            fields = line.split()
            if len(fields) >= 4 and fields[0] in ("instr", "wall", "mem"):
                found[(fields[0], fields[1])] = (float(fields[2]), float(fields[3]))
    return found


def read_goals(path):
    """[(figure/variant, goal or None, label)] in file order."""
    goals = []
    for line in Path(path).read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        name, goal, label = line.split("\t")
        goals.append((name, None if goal.strip() == "-" else float(goal), label))
    return goals


def duration(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def megabytes(kilobytes):
    return f"{kilobytes / 1024:.1f} MB"


def count_cells(instr, mem):
    if instr:
        return [f"{instr[0]:,.0f}", f"{instr[1]:,.0f}", f"{ratio(instr):.3f}"]
    if mem:
        return [megabytes(mem[0]), megabytes(mem[1]), f"{ratio(mem):.3f}"]
    return ["—"] * 3


def ratio(pair):
    base, value = pair
    return value / base if base > 0 else math.nan


def build_rows(goals, found):
    header = ["Figure", "Base instr/op", "Instr/op", "Instr ratio", "Base wall/op", "Wall/op",
              "Wall ratio", "Goal", "Result"]
    rows, complete = [], True
    for name, goal, label in goals:
        instr, wall, mem = (found.get((kind, name)) for kind in ("instr", "wall", "mem"))
        cells = [label] + count_cells(instr, mem)
        cells += [duration(wall[0]), duration(wall[1]), f"{ratio(wall):.3f}"] if wall else ["—"] * 3
        judged = ("instr", instr) if instr else ("mem", mem) if mem else ("wall", wall) if wall else None
        if judged is None:
            complete = False
            result = "no data"
        elif goal is None:
            result = "—"
        else:
            result = ("met" if ratio(judged[1]) <= goal else "missed") + f" ({judged[0]})"
            # The verdict stands on instructions, but a wall time over the goal is
            # still worth a look rather than a silent pass.
            if judged[0] == "instr" and wall and ratio(wall) > goal:
                result += ", wall over"
        cells += [f"≤ {goal:.2f}" if goal is not None else "—", result]
        rows.append(cells)
    return header, rows, complete


def text_table(header, rows):
    widths = [max(len(row[i]) for row in [header] + rows) for i in range(len(header))]
    lines = []
    for row in [header] + rows:
        cells = [row[0].ljust(widths[0])] + [cell.rjust(width) for cell, width in zip(row[1:], widths[1:])]
        lines.append("  ".join(cells).rstrip())
    return "\n".join(lines)


def markdown_table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "|".join(["---"] + ["---:"] * (len(header) - 1)) + "|"]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines)


def main(argv):
    if len(argv) not in (3, 4):
        sys.stderr.write(__doc__.split("\n\n")[1] + "\n")
        return 2
    header, rows, complete = build_rows(read_goals(argv[2]), read_measurements(argv[1]))
    note = ("Ratios are to the baseline of the same run; lower is better. A row is judged by "
            "instructions where counted (callgrind), a memory row by the median peak resident "
            "memory, otherwise by the median wall time; "
            "\"wall over\" marks a counted row whose wall time misses the goal.")
    print("\nGated figures:\n" + text_table(header, rows) + "\n" + note)
    if len(argv) == 4:
        os.makedirs(os.path.dirname(os.path.abspath(argv[3])), exist_ok=True)
        Path(argv[3]).write_text("# Benchmark figures\n\n" + markdown_table(header, rows) + "\n\n" + note + "\n")
    return 0 if complete else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
