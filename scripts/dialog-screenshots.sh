#!/usr/bin/env bash
# Screenshots of the common dialogs for docs/dialogs/, taken under Xvfb against the
# library of a configured build tree (default: build/). Needs xvfb-run (package xvfb).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="$root/docs/dialogs"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out" "$work/home"
mkdir -m 700 "$work/home/runtime"
cmake --build "$build" --target TalvexApp
g++ -std=c++17 -fPIC -Wall -Wextra "$root/scripts/dialog-screenshots/DialogScreenshots.cpp" -o "$work/shots" \
  -I"$root" -I"$build/include" $(pkg-config --cflags Qt5Widgets) \
  -L"$build/App" -Wl,-rpath,"$build/App" -lTalvexApp $(pkg-config --libs Qt5Widgets)
# A private home: the application records its session in the per-user folders.
HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
  XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$work/home/runtime" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x800x24" "$work/shots" "$out"
ls "$out"
