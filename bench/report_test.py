#!/usr/bin/env python3
"""Checks bench/report.py on small hand-made results, without running a benchmark."""

import io
import json
import tempfile
import unittest
from contextlib import redirect_stdout
from pathlib import Path

import report


def benchmark_json(*runs):
    return json.dumps({"context": {}, "benchmarks": list(runs)})


def run(name, real_time, unit="ns", aggregate=None, run_name=None):
    entry = {"name": name, "run_name": run_name or name, "real_time": real_time, "time_unit": unit,
             "run_type": "aggregate" if aggregate else "iteration"}
    if aggregate:
        entry["aggregate_name"] = aggregate
    return entry


class ReportTest(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp())
        self.goals = self.folder / "goals.tsv"

    def write(self, name, text):
        (self.folder / name).write_text(text)

    def test_benchmark_json_uses_medians_in_nanoseconds_and_drops_timing_options(self):
        self.write("A.json", benchmark_json(
            run("StartupProcess/baseline/min_time:1.000/manual_time_mean", 9, "ms", "mean",
                "StartupProcess/baseline/min_time:1.000/manual_time"),
            run("StartupProcess/baseline/min_time:1.000/manual_time_median", 2, "ms", "median",
                "StartupProcess/baseline/min_time:1.000/manual_time"),
            run("StartupProcess/Application/min_time:1.000/manual_time_median", 2.5, "ms", "median",
                "StartupProcess/Application/min_time:1.000/manual_time"),
            # Without repetitions there are only iterations: their median stands in.
            run("GetString/baseline", 10), run("GetString/baseline", 30), run("GetString/baseline", 20),
            run("GetString/SettingsManager", 5, "us"),
            # A variant whose baseline did not run has no ratio and is left out.
            run("Orphan/variant", 1)))
        found = report.read_measurements(self.folder)
        self.assertEqual(found[("wall", "StartupProcess/Application")], (2e6, 2.5e6))
        self.assertEqual(found[("wall", "GetString/SettingsManager")], (20, 5000))
        self.assertEqual(set(found), {("wall", "StartupProcess/Application"), ("wall", "GetString/SettingsManager")})

    def test_rows_judge_by_instructions_where_counted_and_flag_missing_data(self):
        self.write("N.json", benchmark_json(run("NotifyKeyPress/baseline", 100), run("NotifyKeyPress/Application", 200),
                                            run("SetInt/baseline", 100), run("SetInt/SettingsManager", 100),
                                            run("Route/baseline", 10), run("Route/Route", 40)))
        # The callgrind scripts' wall times replace the benchmark programs' for their figures.
        self.write("records.txt", "instr NotifyKeyPress/Application 1000 1050 1.05\n"
                                  "instr SetInt/SettingsManager 100 120 1.2\n"
                                  "wall SetInt/SettingsManager 100 110 1.1\n"
                                  "mem StartupPeakMemory/Application 20480 25600 1.25\n")
        self.goals.write_text("# comment\n"
                              "NotifyKeyPress/Application\t1.05\tkey\n"
                              "SetInt/SettingsManager\t1.15\tset\n"
                              "Route/Route\t-\troute\n"
                              "StartupPeakMemory/Application\t1.15\tpeak\n")
        header, rows, complete = report.build_rows(report.read_goals(self.goals), report.read_measurements(self.folder))
        self.assertTrue(complete)
        by_label = {row[0]: dict(zip(header, row)) for row in rows}
        # Exactly at the goal is met, even though wall time alone (2.0) would miss it.
        self.assertEqual(by_label["key"]["Result"], "met (instr), wall over")
        self.assertEqual(by_label["set"]["Result"], "missed (instr)")  # wall 1.1 is within
        self.assertEqual(by_label["set"]["Wall/op"], "110 ns")
        # Peak memory is judged by itself and shown in megabytes where counts would be.
        self.assertEqual((by_label["peak"]["Base instr/op"], by_label["peak"]["Instr/op"], by_label["peak"]["Result"]),
                         ("20.0 MB", "25.0 MB", "missed (mem)"))
        self.assertEqual((by_label["route"]["Instr/op"], by_label["route"]["Goal"], by_label["route"]["Result"]),
                         ("—", "—", "—"))

        self.goals.write_text("Absent/Application\t1.5\tabsent\n")
        markdown = self.folder / "out" / "bench.md"
        with redirect_stdout(io.StringIO()) as printed:
            status = report.main(["report.py", str(self.folder), str(self.goals), str(markdown)])
        self.assertEqual(status, 1)
        self.assertIn("no data", printed.getvalue())
        self.assertIn("| absent | — | — | — | — | — | — | ≤ 1.50 | no data |", markdown.read_text())


if __name__ == "__main__":
    unittest.main()
