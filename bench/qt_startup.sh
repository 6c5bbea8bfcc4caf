#!/usr/bin/env bash
# Start-up time of the Qt dialog: from starting the program to its first painted frame,
# on a virtual X server, over several runs; prints each run and the median in ms.
# Usage: bench/qt_startup.sh TALVORIX [REPORT] [RUNS]   (defaults: the sample report, 20 runs)
# Needs xvfb-run (xvfb, xauth).
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
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime"

# One run first, unmeasured, so every measured run finds the libraries in the page cache.
TALVORIX_FIRST_FRAME=quit "$exe" "$report" 2>/dev/null || true

times=()
for i in $(seq "$runs"); do
  start=$(date +%s.%N)
  line=$(TALVORIX_FIRST_FRAME=quit "$exe" "$report" 2>&1 >/dev/null | grep "first frame at" || true)
  if [ -z "$line" ]; then
    echo "$0: run $i showed no frame" >&2
    exit 1
  fi
  frame=${line##* }
  ms=$(awk -v a="$start" -v b="$frame" 'BEGIN { printf "%.1f", (b - a) * 1000 }')
  times+=("$ms")
  echo "run $i: $ms ms"
done

printf '%s\n' "${times[@]}" | sort -n | awk '
  { t[NR] = $1 }
  END {
    m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
    printf "median start-up to first frame: %.1f ms over %d runs (min %.1f, max %.1f)\n", m, NR, t[1], t[NR]
  }'
