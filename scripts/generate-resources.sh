#!/usr/bin/env bash
# Regenerates the library's compiled-in pictures, sounds and their two .qrc bundles
# under App/Application/Resources/ from scripts/resources/GenerateResources.cpp.
# The output is committed; run this only after changing the generator.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/../App/Application/Resources"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
g++ -std=c++17 -O1 -Wall -Wextra -fPIC "$here/resources/GenerateResources.cpp" -o "$work/generate" \
  $(pkg-config --cflags --libs Qt5Gui)
QT_QPA_PLATFORM=offscreen "$work/generate" "$out"
