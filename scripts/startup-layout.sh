#!/usr/bin/env bash
# Usage: scripts/startup-layout.sh <build folder>...
# Writes cmake/startup-functions.txt: the symbol names of the library's functions that a
# product's start and exit run, found by running bench/Startup/StartupProcess under
# callgrind in each build folder given (one per Qt major, so that the names of both are
# listed): a start that keeps the theme's style sheet, a first start that builds it, and
# a program that only links the library. Rebuild afterwards to lay them out together.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 <build folder>..." >&2; exit 2; }
source=$(cd "$(dirname "$0")/.." && pwd)
list=$source/cmake/startup-functions.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The names of the functions of the library that one run executed, one per line.
executed() {
  rm -f "$work"/cg.out*
  valgrind --tool=callgrind --demangle=no --compress-strings=no --callgrind-out-file="$work/cg.out" "$@" \
    >/dev/null 2>"$work/valgrind.log" || { cat "$work/valgrind.log" >&2; exit 1; }
  # "ob=" names the object of the "fn=" lines after it; "'N" marks a recursion level.
  cat "$work"/cg.out* | awk '/^ob=/ { object = $0 } /^fn=/ && object ~ /libTalvexApp6?\.so/ { print substr($0, 4) }' |
    sed "s/'[0-9]*$//" | grep -E '^[A-Za-z_][A-Za-z0-9_.$]*$' || true
}

for build in "$@"; do
  startup=$build/bench/Startup/StartupProcess
  root=$build/bench/theme-root
  [ -x "$startup" ] || { echo "$startup is missing: build the benchmarks first" >&2; exit 1; }
  rm -rf "$work/data" "$work/config" "$work/cache"
  executed "$startup" full "$root"
  executed "$startup" full "$root"
  executed "$startup" linked "$root"
done | grep -v '^_GLOBAL__sub_I_' | sort -u >"$work/names"

{
  echo "# The library's functions that a product's start and exit run, by symbol name: they"
  echo "# are laid out together (cmake/StartupLayout.cmake). Made by scripts/startup-layout.sh."
  cat "$work/names"
} >"$list"
echo "$(wc -l <"$work/names") functions written to $list"
