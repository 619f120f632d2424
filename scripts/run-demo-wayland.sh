#!/usr/bin/env bash
# The sample product's tour on a headless Wayland compositor of its own (sway, no X
# server): see run-demo.sh. sway refuses to run as root, so root runs it as "nobody" in
# a runtime folder given to that user; the product gets a runtime folder of its own and
# the compositor's socket by its absolute path.
set -euo pipefail
build=${1:-build}
demo="$(cd "$(dirname "$build/demo/talvex-demo")" && pwd)/talvex-demo"
export TALVEX_DEMO_TOUR="$build/demo"
mkdir -p "$TALVEX_DEMO_TOUR"
export TALVEX_DEMO_TOUR="$(cd "$TALVEX_DEMO_TOUR" && pwd)"
options=(--test-urls-log "--test-output-dir=$build/demo-run" --test-crash-timeout=120)

root=$(mktemp -d /tmp/talvex-demo-wayland-XXXXXX)
sway_pid=""
cleanup() {
  [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null && wait "$sway_pid" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT
chmod 711 "$root"
mkdir -m 700 "$root/compositor" "$root/client"
printf 'xwayland disable\nfocus_on_window_activation focus\noutput HEADLESS-1 resolution 1280x800\n' \
  > "$root/compositor/config"
chmod 644 "$root/compositor/config"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown 65534:65534 "$root/compositor"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
env -i PATH="$PATH" XDG_RUNTIME_DIR="$root/compositor" SWAYSOCK="$root/compositor/ipc.sock" \
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  "${as_user[@]}" sway -c "$root/compositor/config" > "$root/sway.log" 2>&1 &
sway_pid=$!
socket=""
for _ in $(seq 100); do
  socket=$(find "$root/compositor" -maxdepth 1 -type s -name 'wayland-*' | head -n 1)
  [ -n "$socket" ] && break
  sleep 0.1
done
if [ -z "$socket" ]; then
  echo "sway did not start:" >&2
  cat "$root/sway.log" >&2
  exit 1
fi
unset DISPLAY TALVEX_DEMO_DESKTOP
export XDG_RUNTIME_DIR="$root/client" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland
export TALVEX_DEMO_SCREEN_COMMAND=grim
"$demo" "${options[@]}"
