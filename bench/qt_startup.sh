#!/usr/bin/env bash
# Start-up time of the Qt dialog: from starting the program to its first painted frame,
# on a virtual X server, over several runs; prints each run and the median in ms.
# The program is measured as shipped. The frame's time comes from Qt's own painting log
# (QT_LOGGING_RULES), which Qt stamps when it sends the window's first painted pixels
# to the X server.
# Usage: bench/qt_startup.sh TALVORIX [REPORT] [RUNS]   (defaults: the sample report, 20 runs)
# Needs xvfb-run (xvfb, xauth) and bash 5.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 TALVORIX [REPORT] [RUNS]" >&2
  exit 64
fi
exe=$(realpath "$1")
report=${2:-examples/fordulo-112.html}
runs=${3:-20}

if [ -z "${TALVORIX_BENCH_INNER:-}" ]; then
  exec env TALVORIX_BENCH_INNER=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$exe" "$report" "$runs"
fi

runtime=$(mktemp -d)  # keeps the runs' socket apart from any running dialog
trap 'rm -rf "$runtime"' EXIT
log=$runtime/stderr
LC_NUMERIC=C  # a decimal point in $EPOCHREALTIME
# The stamps are UTC, as `date -u` reads them back.
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime" TZ=UTC
export QT_LOGGING_RULES="qt.widgets.painting=true"
export QT_MESSAGE_PATTERN="%{time yyyy-MM-dd HH:mm:ss.zzz} %{category}: %{message}"
frame="qt.widgets.painting: Flushing "

# A pipe that nobody writes: `read -t` on it waits without starting a process, so
# nothing but the dialog competes for the processors while it starts.
mkfifo "$runtime/idle"
exec {idle}<>"$runtime/idle"

# Runs the dialog until its first frame and ends it; prints the milliseconds from its
# start to that frame, or nothing when no frame came within 10 s.
measure() {
  local start=$EPOCHREALTIME line="" found="" i
  "$exe" "$report" 2>"$log" >/dev/null &
  local pid=$!
  # The frame's time is in the line, so looking now and then costs no precision.
  for ((i = 0; i < 100; i++)); do
    read -r -t 0.1 -u "$idle" _ || true
    while IFS= read -r line; do
      if [[ $line == *" $frame"* ]]; then
        found=$line
        break
      fi
    done <"$log"
    [ -z "$found" ] || break
    kill -0 "$pid" 2>/dev/null || break
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -f "$runtime/talvorix.sock"  # a dialog that ends by itself removes it; a killed one cannot
  [ -n "$found" ] || return 0
  local stamp
  stamp=$(date -u -d "${found:0:23}" +%s.%N)
  awk -v a="$start" -v b="$stamp" 'BEGIN { printf "%.1f", (b - a) * 1000 }'
}

# One run first, unmeasured, so every measured run finds the libraries in the page cache.
measure >/dev/null

times=()
for i in $(seq "$runs"); do
  ms=$(measure)
  if [ -z "$ms" ]; then
    echo "$0: run $i showed no frame" >&2
    cat "$log" >&2
    exit 1
  fi
  times+=("$ms")
  echo "run $i: $ms ms"
done

printf '%s\n' "${times[@]}" | sort -n | awk '
  { t[NR] = $1 }
  END {
    m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
    printf "median start-up to first frame: %.1f ms over %d runs (min %.1f, max %.1f)\n", m, NR, t[1], t[NR]
  }'
