#!/usr/bin/env bash
# Runs the sample product. With a display it opens its window; without one it runs
# under Xvfb (else offscreen), takes a scripted tour (theme, language, confirmation,
# touch scrolling, Informer, the crash report of a child instance
# that crashes on purpose, helper), saves one picture per step as
# <build>/demo/tour-<n>-<step>.png and exits. LANG_UI (e.g. de_DE) picks the language
# it starts in.
set -euo pipefail
build=${1:-build}
demo="$build/demo/talvex-demo"
if [ -n "${LANG_UI:-}" ]; then
  export TALVEX_DEMO_LANGUAGE="$LANG_UI"
fi
if [ -n "${DISPLAY:-}" ]; then
  exec "$demo"
fi
export TALVEX_DEMO_TOUR="$build/demo"
# Nobody would see a browser: the links the run opens (the first run's thank-you page)
# go to <build>/demo-run/urls.log instead, and a run that hangs ends after two minutes.
options=(--test-urls-log "--test-output-dir=$build/demo-run" --test-crash-timeout=120)
if command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$demo" "${options[@]}"
fi
QT_QPA_PLATFORM=offscreen exec "$demo" "${options[@]}"
