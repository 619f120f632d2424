#!/usr/bin/env bash
# Prints callgrind's instruction count per delivered event for a plain QApplication and
# for the library's Application, and their ratio. Only DeliverEvents is counted, so
# start-up and shut-down do not enter the figures.
set -euo pipefail
program=$1
count=${COUNT:-2000}
export QT_QPA_PLATFORM=offscreen
measure() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect='*DeliverEvents*' \
    "$program" "$1" "$2" "$count" 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
printf '%-12s %14s %14s %8s\n' event plain/event app/event ratio
for kind in mouse key timer timer-drag show; do
  plain=$(measure plain "$kind")
  app=$(measure application "$kind")
  awk -v k="$kind" -v p="$plain" -v a="$app" -v n="$count" \
    'BEGIN { printf "%-12s %14.1f %14.1f %7.3fx\n", k, p / n, a / n, a / p }'
done
