#!/usr/bin/env bash
# Runs the sample product. With a display it opens its window; without one it runs
# under Xvfb (else offscreen), takes a scripted tour (the desktop flipped to dark,
# theme, language, confirmation, touch scrolling, Informer, the crash report of a child
# instance that crashes on purpose, a file opened by a second launch, helper), saves one
# picture per step as <build>/demo/tour-<n>-<step>.png and exits. LANG_UI (e.g. de_DE)
# picks the language it starts in. With WAYLAND=1 the tour runs on a headless Wayland
# compositor of its own (sway) instead, and grim adds a picture of the whole screen per
# step (<build>/demo/screen-<n>-<step>.png).
set -euo pipefail
build=${1:-build}
demo="$build/demo/talvex-demo"
if [ -n "${LANG_UI:-}" ]; then
  export TALVEX_DEMO_LANGUAGE="$LANG_UI"
fi
if [ "${WAYLAND:-0}" = 1 ]; then
  exec "$(dirname "$0")/run-demo-wayland.sh" "$build"
fi
if [ -n "${DISPLAY:-}" ]; then
  exec "$demo"
fi
export TALVEX_DEMO_TOUR="$build/demo"
# Nobody would see a browser: the links the run opens (the first run's thank-you page)
# go to <build>/demo-run/urls.log instead, and a run that hangs ends after two minutes.
options=(--test-urls-log "--test-output-dir=$build/demo-run" --test-crash-timeout=120)
# Set again below only where the product runs on a private bus; on the inherited one
# the tour leaves the desktop's preference alone.
unset TALVEX_DEMO_DESKTOP
if command -v xvfb-run >/dev/null 2>&1; then
  # A session bus of the run's own, with Debian's desktop portal started on it when
  # asked, so the tour can flip the desktop's preference (in a settings store under
  # <build>/demo-run, never the user's) and show the product following it. Only this
  # branch runs the product inside that bus: the portal's GTK backend needs the display
  # Xvfb gives, and without the private bus the tour must not touch the desktop at all.
  session=()
  if command -v dbus-run-session >/dev/null 2>&1 && [ -x /usr/libexec/xdg-desktop-portal ]; then
    session=(dbus-run-session --)
    export TALVEX_DEMO_DESKTOP=private
    mkdir -p "$build/demo-run/config"
    export XDG_CONFIG_HOME="$(cd "$build/demo-run" && pwd)/config" GSETTINGS_BACKEND=dconf
    if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -w "${XDG_RUNTIME_DIR}" ]; then
      XDG_RUNTIME_DIR="$(mktemp -d)"
      export XDG_RUNTIME_DIR
    fi
    # Each tour starts from the desktop's default, which prefers nothing.
    rm -rf "$XDG_CONFIG_HOME/dconf"
  fi
  exec xvfb-run -a -s "-screen 0 1280x800x24" "${session[@]}" "$demo" "${options[@]}"
fi
QT_QPA_PLATFORM=offscreen exec "$demo" "${options[@]}"
