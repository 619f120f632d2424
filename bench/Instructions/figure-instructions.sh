#!/usr/bin/env bash
# Usage: figure-instructions.sh <FigureInstructions> <StartupBare> <StartupProcess> <theme root> <SecondLaunch>
#        <StartupWithoutLibrary>
# Instructions per operation (callgrind, only the bracketed loops) and wall-time medians
# (native runs) of every realistic figure, each against its baseline of the same run.
# "SetInt" sums its new-key and rewrite parts; "Startup" its first turn and exit (whole
# processes: a bare QApplication program, the same linked to the library, the product,
# the product following the desktop, and the product's work done without the library;
# the median of three runs), beside which the
# peak resident memory of each start-up is noted (median, kB); "SecondLaunch" a whole
# second launch of a product, which hands over to a running instance, against a bare
# QCoreApplication program. A tag
# ends in its number of operations; 0 marks a later phase of operations counted before.
# With TALVEX_BENCH_RECORDS set, every row is also appended there as
# "<instr|wall|mem> <figure>/<variant> <base per op> <per op> <ratio>" for bench/report.py.
set -euo pipefail
# One start-up variant follows the desktop, so it is measured with a desktop portal
# present: on a session bus of this run's own, with Debian's portal started before the
# first run.
if [ -z "${TALVEX_BENCH_SESSION:-}" ] && command -v dbus-run-session >/dev/null 2>&1 &&
  [ -x /usr/libexec/xdg-desktop-portal ]; then
  # The portal and what it starts keep their files in a home of their own.
  session=$(mktemp -d)
  mkdir -p "$session/runtime" && chmod 700 "$session/runtime"
  status=0
  TALVEX_BENCH_SESSION=1 HOME=$session XDG_DATA_HOME=$session/data XDG_CONFIG_HOME=$session/config \
    XDG_CACHE_HOME=$session/cache XDG_RUNTIME_DIR=$session/runtime dbus-run-session -- bash "$0" "$@" || status=$?
  # The document portal may still have its file system mounted in the runtime folder
  # while it shuts down with the bus.
  fusermount -uz "$session/runtime/doc" 2>/dev/null || true
  rm -rf "$session" || echo "figure-instructions: could not remove $session" >&2
  exit $status
fi
if [ -n "${TALVEX_BENCH_SESSION:-}" ] && command -v gdbus >/dev/null 2>&1; then
  gdbus call --session --dest org.freedesktop.portal.Desktop --object-path /org/freedesktop/portal/desktop \
    --method org.freedesktop.portal.Settings.Read org.freedesktop.appearance color-scheme >/dev/null 2>&1 || true
fi
figures=$1
bare=$2
startup=$3
root=$4
second=$5
plain=$6
runs=${RUNS:-5}
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
instance=
trap '[ -z "$instance" ] || kill "$instance" 2>/dev/null; rm -rf "$work"' EXIT
# A private home, so that stores, crash sessions and fonts never touch the user's.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Every dump file of one callgrind run as "instr <tag> <instructions>" lines; the dump
# at program end gets `final_tag`.
collect() {
  local final_tag=$1
  shift
  rm -f "$work"/cg.out*
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$@" >/dev/null 2>"$work/valgrind.log" ||
    { cat "$work/valgrind.log" >&2; exit 1; }
  for dump in "$work"/cg.out*; do
    awk -v final="$final_tag" '
      /^desc: Trigger: Client Request: / { tag = $5 }
      /^desc: Trigger: Program termination/ { tag = final }
      /^(summary|totals): / { total = $2 }
      END { if (tag != "" && total != "") print "instr", tag, total }' "$dump"
  done
}

{
  collect "" --instr-atstart=no "$figures" settings
  collect "" --instr-atstart=no "$figures" theme
  collect "" --instr-atstart=no "$figures" inertia
  for variant in baseline LinkedOnly Application Following WithoutLibrary; do
    case $variant in
    baseline) command=("$bare") ;;
    LinkedOnly) command=("$startup" linked "$root") ;;
    Application) command=("$startup" full "$root") ;;
    WithoutLibrary) command=("$plain" "$root") ;;
    *) command=("$startup" following "$root") ;;
    esac
    "${command[@]}" >/dev/null 2>&1 # warm caches and first-run files
    # Hash seeds and addresses differ from process to process, and with them a few
    # hundred thousand instructions: the run whose whole count is the median of three.
    for run in 1 2 3; do
      collect "Startup.exit/$variant:0" "${command[@]}" >"$work/run$run"
      echo "$(awk '{ total += $3 } END { print total }' "$work/run$run") $run"
    done | sort -n | sed -n 2p | { read -r _ median; cat "$work/run$median"; }
  done
  # The running instance runs natively; only the launch is counted.
  "$second" instance second-launch-bench </dev/null >"$work/instance.out" 2>/dev/null &
  instance=$!
  for ((wait = 0; wait < 200; ++wait)); do
    ! grep -q ready "$work/instance.out" || break
    sleep 0.05
  done
  collect "SecondLaunch/baseline:1" "$second" bare
  collect "SecondLaunch/Launch:1" "$second" launch second-launch-bench
  kill "$instance"
  wait "$instance" 2>/dev/null || true
  instance=
  for ((run = 0; run < runs; ++run)); do
    "$figures" settings 2>/dev/null | sed 's/^/wall /'
    "$figures" theme 2>/dev/null | sed 's/^/wall /'
    "$figures" inertia 2>/dev/null | sed 's/^/wall /'
  done
  "$figures" startup-wall "$bare" "$startup" "$plain" 2>/dev/null
  "$figures" second-launch-wall "$second" 2>/dev/null
} >"$work/samples"

# Medians of the wall times and memory figures per tag, then one table.
awk '$1 == "wall" || $1 == "mem" { print $1 "|" $2, $3 }' "$work/samples" | sort -k1,1 -k2,2n |
  awk '{ n[$1]++; v[$1, n[$1]] = $2 }
    END { for (t in n) { split(t, k, "|"); print k[1] "median", k[2], v[t, int((n[t] + 1) / 2)] } }' \
    >>"$work/samples"
awk '
  function add(kind, figure, variant, value, ops) {
    if (!((figure, variant) in seen)) { seen[figure, variant] = 1; order[++count] = figure SUBSEP variant }
    sum[kind, figure, variant] += value
    opsum[kind, figure, variant] += ops
  }
  function record(kind, tag, value,    parts, name, figure, variant, ops) {
    split(tag, parts, ":"); ops = parts[2]; name = parts[1]
    figure = substr(name, 1, index(name, "/") - 1); variant = substr(name, index(name, "/") + 1)
    add(kind, figure, variant, value, ops)
    if (index(figure, ".")) add(kind, substr(figure, 1, index(figure, ".") - 1), variant, value, ops)
  }
  function per(kind, f, v) { return sum[kind, f, v] / (opsum[kind, f, v] ? opsum[kind, f, v] : 1) }
  $1 == "instr" { record("i", $2, $3) }
  $1 == "wallmedian" { record("w", $2, $3) }
  $1 == "memmedian" { record("m", $2, $3) }
  END {
    printf "%-40s %14s %14s %8s %12s %12s %8s\n", "figure/variant", "base instr/op", "instr/op", "ratio", "base ns/op", "ns/op", "ratio"
    for (k = 1; k <= count; ++k) {
      split(order[k], p, SUBSEP); f = p[1]; v = p[2]
      if (v == "baseline") continue
      bi = per("i", f, "baseline"); vi = per("i", f, v); bw = per("w", f, "baseline"); vw = per("w", f, v)
      bm = per("m", f, "baseline"); vm = per("m", f, v)
      if (bm) {
        printf "%-40s %14.0f %14.0f %7.3fx %12s %12s %8s (peak kB)\n", f "/" v, bm, vm, vm / bm, "", "", ""
      } else {
        printf "%-40s %14.0f %14.0f %7.3fx %12.0f %12.0f %7.3fx\n", f "/" v, bi, vi, bi ? vi / bi : 0, bw, vw, bw ? vw / bw : 0
      }
      if (out != "") {
        if (bi) printf "instr %s/%s %.0f %.0f %.4f\n", f, v, bi, vi, vi / bi >>out
        if (bw) printf "wall %s/%s %.0f %.0f %.4f\n", f, v, bw, vw, vw / bw >>out
        if (bm) printf "mem %s/%s %.0f %.0f %.4f\n", f, v, bm, vm, vm / bm >>out
      }
    }
  }' out="${TALVEX_BENCH_RECORDS:-}" "$work/samples" | {
  read -r header
  echo "$header"
  sort
}
