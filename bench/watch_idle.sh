#!/usr/bin/env bash
# Whole-process figures of watching a big download folder: 100,000 other files and one
# report. For talvorix-cli --watch and, when given, the Qt dialog (offscreen): the CPU
# used while idle, the time from a save to its answer (CLI), and the time a hand-over
# takes while the dialog watches, idle and during a burst of 2000 new reports.
# Usage: bench/watch_idle.sh BUILD_DIR [QT_BUILD_DIR]   (OTHERS=100000 IDLE_SECONDS=10)
set -euo pipefail
build=${1:?usage: watch_idle.sh BUILD_DIR [QT_BUILD_DIR]}
qt=${2:-}
others=${OTHERS:-100000}
idle=${IDLE_SECONDS:-10}
root=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$root"' EXIT
mkdir -p "$root/dl" "$root/run" "$root/home"
chmod 700 "$root/run"
export XDG_RUNTIME_DIR="$root/run" HOME="$root/home"
examples=$(cd "$(dirname "$0")/../examples" && pwd)

echo "making $others files..."
(cd "$root/dl" && seq 1 "$others" | sed 's/^/kep-/; s/$/.jpg/' | xargs touch)
cp "$examples/fordulo-113.html" "$root/dl/regi.html"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
cpu_percent() {  # pid seconds
  local before after
  before=$(ticks "$1"); sleep "$2"; after=$(ticks "$1")
  awk -v t=$((after - before)) -v s="$2" -v hz="$hz" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}
now_ms() { date +%s%3N; }

"$build/cli/talvorix-cli" --json --watch "$root/dl" > "$root/cli.out" &
cli=$!
until [ -s "$root/cli.out" ]; do sleep 0.05; done
echo "talvorix-cli --watch: idle CPU over ${idle} s: $(cpu_percent $cli "$idle") % of a core"
start=$(now_ms)
cp "$examples/fordulo-112.html" "$root/dl/uj.html"
until grep -q 'uj.html' "$root/cli.out"; do sleep 0.01; done
echo "talvorix-cli --watch: a new save printed after $(( $(now_ms) - start )) ms (300 ms of it the settling wait)"
kill $cli; wait $cli 2>/dev/null || true

[ -n "$qt" ] || exit 0
QT_QPA_PLATFORM=offscreen "$qt/dialog/qt/talvorix" "$root/dl" 2>/dev/null &
dialog=$!
for _ in $(seq 100); do [ -S "$root/run/talvorix.sock" ] && break; sleep 0.05; done
sleep 1
echo "dialog: idle CPU over ${idle} s: $(cpu_percent $dialog "$idle") % of a core"
handover() {  # the slowest of 10 hand-overs of a report to the watching dialog, in ms
  local worst=0 t
  for _ in $(seq 10); do
    "$qt/cli/talvorix-send" "$root/dl" >/dev/null  # back to watching (one listing)
    sleep 0.3
    t=$(now_ms); "$qt/cli/talvorix-send" "$examples/fordulo-112.html" >/dev/null; t=$(( $(now_ms) - t ))
    [ "$t" -gt "$worst" ] && worst=$t
  done
  echo "$worst"
}
echo "dialog: slowest of 10 hand-overs while watching: $(handover) ms (starting talvorix-send included)"
( for i in $(seq 2000); do echo x > "$root/dl/burst-$i.html"; sleep 0.002; done ) &
echo "dialog: slowest of 10 hand-overs during a burst of 2000 saves: $(handover) ms"
wait $! 2>/dev/null || true
kill $dialog; wait $dialog 2>/dev/null || true
