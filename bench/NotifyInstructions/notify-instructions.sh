#!/usr/bin/env bash
# Prints callgrind's instruction count per delivered event for a plain QApplication and
# for the library's Application, and their ratio. Only DeliverEvents is counted, so
# start-up and shut-down do not enter the figures. With TALVEX_BENCH_RECORDS set, each
# count is also appended there as "instr <figure>/Application <plain> <app> <ratio>", under
# the names the wall-time benchmarks use for the same events, for bench/report.py.
set -euo pipefail
program=$1
count=${COUNT:-2000}
export QT_QPA_PLATFORM=offscreen
measure() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect='*DeliverEvents*' \
    "$program" "$1" "$2" "$count" 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
records=${TALVEX_BENCH_RECORDS:-/dev/null}
printf '%-12s %14s %14s %8s\n' event plain/event app/event ratio
for entry in mouse:NotifyMouseMove key:NotifyKeyPress timer:NotifyTimer timer-drag:NotifyTimerDragging show:NotifyShow; do
  kind=${entry%%:*}
  plain=$(measure plain "$kind")
  app=$(measure application "$kind")
  awk -v k="$kind" -v f="${entry#*:}" -v p="$plain" -v a="$app" -v n="$count" -v out="$records" 'BEGIN {
    printf "%-12s %14.1f %14.1f %7.3fx\n", k, p / n, a / n, a / p
    printf "instr %s/Application %.1f %.1f %.4f\n", f, p / n, a / n, a / p >>out
  }'
done
