#!/usr/bin/env bash
# Runs the sample product. With a display it opens its window; without one it runs
# headless, saves a screenshot of the main window to <build>/demo.png (and of its
# menus beside it) and exits. LANG_UI (e.g. de_DE) picks the language it starts in.
set -euo pipefail
build=${1:-build}
demo="$build/demo/talvex-demo"
if [ -n "${LANG_UI:-}" ]; then
  export TALVEX_DEMO_LANGUAGE="$LANG_UI"
fi
if [ -n "${DISPLAY:-}" ]; then
  exec "$demo"
fi
export TALVEX_DEMO_SCREENSHOT="$build/demo.png"
# The first run opens the thank-you page in the preferred browser; nobody would see it.
export BROWSER=true
if command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$demo"
fi
QT_QPA_PLATFORM=offscreen exec "$demo"
