#!/usr/bin/env bash
# Whole-process instruction counts (callgrind) of a bare QApplication start-up and of the
# library's Application with all its services, and their ratio.
set -euo pipefail
program=$1
root=$2
export QT_QPA_PLATFORM=offscreen
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
measure() {
  "$program" "$1" "$root" >/dev/null 2>&1 # warm caches and first-run files
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$program" "$1" "$root" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
bare=$(measure bare)
full=$(measure full)
awk -v b="$bare" -v f="$full" 'BEGIN { printf "start-up instructions: bare %.1f M, Application %.1f M, ratio %.3fx\n", b / 1e6, f / 1e6, f / b }'
