#!/usr/bin/env bash
# Saves every report in the game's form as a browser does: Chromium (headless) loads it
# and writes its parsed page back out (lower-case tags, closing tags added, UTF-8). Each
# page is kept in four forms: as Chromium wrote it, in Windows-1250, in UTF-8 with a
# byte order mark and in UTF-16LE with a byte order mark. Each is also saved as a single
# file by Chromium's own writer (capture_mhtml.py: the DevTools protocol's
# Page.captureSnapshot), and in four forms made from that one.
# Usage: make_saved_pages.sh OUT_DIR    (CHROMIUM names the browser; default: chromium)
# The reports: examples/*.html and tests/scanner/saved_pages/originals/*.html, saved as
# OUT_DIR/NAME.{utf8,cp1250,utf8-bom,utf16le}.html and
# OUT_DIR/NAME{,.base64,.lf,.utf8,.iframe}.mhtml.
set -euo pipefail
out=${1:?output folder}
chromium=${CHROMIUM:-chromium}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
command -v "$chromium" >/dev/null || { echo "make_saved_pages.sh: $chromium is not installed" >&2; exit 1; }
mkdir -p "$out"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

for report in "$root"/examples/*.html "$here"/originals/*.html; do
  name=$(basename "$report" .html)
  # A fresh profile each time, no network, nothing in the background: only the page.
  "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile/$name" --dump-dom "file://$report" >"$out/$name.utf8.html" 2>/dev/null
  if [ ! -s "$out/$name.utf8.html" ]; then
    echo "make_saved_pages.sh: $chromium saved nothing for $report" >&2
    exit 1
  fi
  iconv -f UTF-8 -t CP1250 "$out/$name.utf8.html" >"$out/$name.cp1250.html"
  { printf '\357\273\277'; cat "$out/$name.utf8.html"; } >"$out/$name.utf8-bom.html"
  { printf '\377\376'; iconv -f UTF-8 -t UTF-16LE "$out/$name.utf8.html"; } >"$out/$name.utf16le.html"
  echo "saved $name"
done
CHROMIUM="$chromium" /usr/bin/python3 "$here/capture_mhtml.py" "$out" "$root"/examples/*.html "$here"/originals/*.html
