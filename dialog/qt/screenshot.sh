#!/usr/bin/env bash
# Saves a picture of the real dialog window showing a report, under a virtual X server.
# Usage: dialog/qt/screenshot.sh TALVORIX REPORT OUTPUT.png
# Needs xvfb-run (xvfb, xauth), xwd (x11-apps) and convert (imagemagick).
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 TALVORIX REPORT OUTPUT.png" >&2
  exit 64
fi
exe=$(realpath "$1")
report=$2
out=$3

if [ -z "${TALVORIX_SCREENSHOT_INNER:-}" ]; then
  # A screen of its own, with room for the window at any font size.
  exec env TALVORIX_SCREENSHOT_INNER=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

runtime=$(mktemp -d)  # keeps this window's socket apart from any running dialog
log="$runtime/stderr"
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$runtime"' EXIT
# Qt's painting log says when the window's first painted frame goes to the screen.
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime" QT_LOGGING_RULES="qt.widgets.painting=true" \
  QT_MESSAGE_PATTERN="%{category}: %{message}" "$exe" "$report" 2>"$log" &
pid=$!
frame="^qt.widgets.painting: Flushing "

for _ in $(seq 100); do
  grep -q "$frame" "$log" && break
  kill -0 "$pid" 2>/dev/null || { cat "$log" >&2; echo "$0: the dialog ended early" >&2; exit 1; }
  sleep 0.1
done
grep -q "$frame" "$log" || { cat "$log" >&2; echo "$0: no frame within 10 s" >&2; exit 1; }
sleep 0.5  # let the window settle after its first frame

xwd -silent -name "Talvorix v0.93" | convert xwd:- "png:$out"
echo "saved $out"
