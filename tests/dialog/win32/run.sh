#!/usr/bin/env bash
# Runs the Windows end-to-end tests under Wine on a virtual X display, or takes a
# screenshot of the dialog after it has loaded a sample report.
# Usage: tests/dialog/win32/run.sh [--screenshot OUT.png] [BUILD_DIR [TEST...]]   (default build-windows)
# (TALVORIX_SCREENSHOT_DPI=144 takes the screenshot at 150 %.)
# With test names (as the driver prints them), only those tests run.
# Needs wine, xvfb-run and, for the screenshot, ImageMagick.
set -euo pipefail

root=$(cd "$(dirname "$0")/../../.." && pwd)
screenshot=""
if [ "${1:-}" = "--screenshot" ]; then
  screenshot=$(realpath -m "$2")
  shift 2
fi
build=$(realpath "${1:-$root/build-windows}")
[ $# -gt 0 ] && shift

talvorix=$build/dialog/win32/talvorix.exe
send=$build/cli/talvorix-send.exe
driver=$build/tests/dialog/win32/talvorix-e2e.exe
hook=$build/tests/dialog/win32/talvorix-e2e-hook.dll
for exe in "$talvorix" "$send" "$driver" "$hook"; do
  [ -f "$exe" ] || { echo "missing $exe: run 'make windows' first" >&2; exit 1; }
done

# Under xvfb-run from here on: one fresh display and one fresh Wine prefix per run.
if [ -z "${TALVORIX_UNDER_XVFB:-}" ]; then
  export TALVORIX_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" ${screenshot:+--screenshot "$screenshot"} "$build" "$@"
fi

export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
# The caption buttons are drawn with this font; without it they show letters.
for font in /usr/share/wine/fonts/marlett.ttf; do
  [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

if [ -n "$screenshot" ]; then
  # TALVORIX_SCREENSHOT_DPI: the display's DPI (144 for 150 %); 96 unless set. The
  # desktop grows with it.
  dpi=${TALVORIX_SCREENSHOT_DPI:-96}
  width=$((480 * dpi / 96)) height=$((360 * dpi / 96))
  if [ "$dpi" != 96 ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  fi
  # Wine's own desktop window draws the title bar, as no window manager runs here.
  # TALVORIX_SCREENSHOT_SUBJECT: what the dialog opens (a report or a folder to watch).
  subject=$(realpath "${TALVORIX_SCREENSHOT_SUBJECT:-$root/examples/fordulo-112.html}")
  wine explorer /desktop=Talvorix,${width}x${height} "$talvorix" "$subject" >/dev/null 2>&1 &
  # Wait until the dialog covers the desktop's top left corner, then let it paint.
  desktop=""
  for _ in $(seq 60); do
    sleep 0.5
    import -window root -crop ${width}x${height}+0+0 +repage "$screenshot.full.png" 2>/dev/null || continue
    desktop=$(convert "$screenshot.full.png" -format "%[pixel:p{$((width - 1)),$((height - 1))}]" info:)
    corner=$(convert "$screenshot.full.png" -format '%[pixel:p{100,100}]' info:)
    [ "$corner" != "$desktop" ] && break
  done
  sleep 1
  import -window root -crop ${width}x${height}+0+0 +repage "$screenshot.full.png"
  # The dialog sits at the top left corner; cut away the desktop round it.
  convert "$screenshot.full.png" -bordercolor "$desktop" -border 1 -fuzz 0 -trim +repage "$screenshot"
  rm -f "$screenshot.full.png"
  echo "wrote $screenshot"
  exit 0
fi

scratch=$build/e2e-scratch
rm -rf "$scratch"
mkdir -p "$scratch"
# The other files of the big-folder test (WatchesABigFolderWithoutRescans), made here:
# under Wine each file takes a trip to the wine server, and 100,000 take half an hour.
others=${TALVORIX_BIG_FOLDER_FILES:-20000}
mkdir -p "$scratch/big-$others"
(cd "$scratch/big-$others" && seq 0 $((others - 1)) | sed 's/^/kep-/; s/$/.jpg/' | xargs touch)
win() { winepath -w "$1" 2>/dev/null; }
wine "$driver" "$(win "$talvorix")" "$(win "$send")" "$(win "$root/examples")" "$(win "$scratch")" "$@"
