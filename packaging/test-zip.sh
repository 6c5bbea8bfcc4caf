#!/usr/bin/env bash
# Checks the Windows download as a player gets it:
#  - the zip holds exactly the expected files, in one folder, and unpacks cleanly;
#  - each program is a 64-bit Windows program importing only Windows' own DLLs, with
#    the icon and a version record of this version (packaging/test/check_pe.py);
#  - OLVASSEL.txt and LICENSE.txt are UTF-8 with a byte order mark and CR LF line ends;
#  - unpacked into a fresh Wine prefix: talvorix-cli.exe prints its version and answers
#    the shipped sample as packaging/test/fordulo-112.expected says, and talvorix.exe
#    starts on the sample, shows its riddles and ends with exit code 1 when closed
#    (driven by talvorix-dialog-probe.exe, which is not part of the download).
# Usage: packaging/test-zip.sh BUILD_DIR   (the Windows build, default build-package-win)
# Needs unzip, python3, wine, wine64 and xvfb-run (xvfb, xauth).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-package-win}")
version=$(sed -n 's/^#define TALVORIX_VERSION_STRING "\(.*\)"$/\1/p' "$build/generated/core/version.h" 2>/dev/null || true)
name=talvorix-$version-win64
zip=$build/$name.zip
probe=$build/packaging/talvorix-dialog-probe.exe
for file in "$zip" "$probe"; do
  [ -n "$version" ] && [ -f "$file" ] || { echo "missing ${file}: run 'make check-package'" >&2; exit 1; }
done

# Under xvfb-run from here on: the dialog needs a display, and gets a fresh one.
if [ -z "${TALVORIX_UNDER_XVFB:-}" ]; then
  export TALVORIX_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

scratch=$(mktemp -d)
export WINEPREFIX=$scratch/wineprefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
# The prefix is made while the archive is checked.
wineboot --init >/dev/null 2>&1 &
booting=$!

passed=0
failed=0
pass() { echo "PASS $*"; passed=$((passed + 1)); }
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

echo "== $(basename "$zip")"
unzip -l "$zip"
want=$(printf "$name/%s\n" LICENSE.txt OLVASSEL.txt minta/fordulo-112.html talvorix-cli.exe talvorix-send.exe \
  talvorix.exe talvorix.html | sort)
got=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
if [ "$got" = "$want" ]; then pass "the zip holds exactly the expected files"
else fail "the zip's files"; diff <(echo "$want") <(echo "$got") || true; fi
unzip -tq "$zip" >/dev/null && pass "unzip -t: no errors" || fail "unzip -t"

echo "== the programs"
unpacked=$scratch/unpacked
unzip -q "$zip" -d "$unpacked"
dir=$unpacked/$name
if python3 "$root/packaging/test/check_pe.py" "$version" "$dir"/talvorix.exe "$dir"/talvorix-cli.exe \
  "$dir"/talvorix-send.exe; then
  pass "system DLLs only, icon and version record in every program"
else
  fail "the programs' imports or resources"
fi

echo "== the texts"
for text in OLVASSEL.txt LICENSE.txt; do
  file=$dir/$text
  if [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" != efbbbf ]; then fail "$text has no byte order mark"
  elif [ "$(grep -c '' "$file")" != "$(grep -c $'\r$' "$file")" ]; then fail "$text has a line without CR LF"
  elif grep -q '@[A-Z_]*@' "$file"; then fail "$text has an unfilled @NAME@"
  else pass "$text: UTF-8 with BOM, CR LF"; fi
done
grep -q "Talvorix $version" "$dir/OLVASSEL.txt" && pass "OLVASSEL.txt names version $version" \
  || fail "OLVASSEL.txt does not name version $version"

echo "== under Wine, in a fresh prefix"
wait "$booting" || true
# Unpacked as a player would, into the prefix's own drive C:.
unzip -q "$zip" -d "$WINEPREFIX/drive_c"
cp "$probe" "$WINEPREFIX/drive_c/"
cd "$WINEPREFIX/drive_c"
# wine prints with CR LF; the expected text has LF.
got=$(wine "C:\\$name\\talvorix-cli.exe" --version 2>&1 | tr -d '\r') || true
[ "$got" = "talvorix-cli $version" ] && pass "talvorix-cli.exe --version" || fail "talvorix-cli.exe --version: $got"
got=$(wine "C:\\$name\\talvorix-cli.exe" "C:\\$name\\minta\\fordulo-112.html" 2>&1 | tr -d '\r') || true
if [ "$got" = "$(cat "$root/packaging/test/fordulo-112.expected")" ]; then pass "talvorix-cli.exe on the shipped sample"
else fail "talvorix-cli.exe on the shipped sample"; diff "$root/packaging/test/fordulo-112.expected" <(echo "$got") || true; fi
# In a console the letters must come through as letters, whatever its code page: a
# terminal made by `script` is Wine's console here, shown in UTF-8. Wine moves the
# cursor for blanks and line ends, so escape sequences and white space are dropped
# before comparing.
shown=$(script -qec "wine 'C:\\$name\\talvorix-cli.exe' 'C:\\$name\\minta\\fordulo-112.html'" /dev/null \
  </dev/null 2>&1 | sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\x1b\][^\x07]*\x07//g' | tr -d ' \r\n') || true
want=$(tr -d ' \r\n' < "$root/packaging/test/fordulo-112.expected")
if [[ "$shown" == *"$want"* ]]; then pass "talvorix-cli.exe in a console shows the accented letters"
else fail "talvorix-cli.exe in a console: $shown"; fi
# Paths arrive in the system's code page; the output shows them in UTF-8.
cp "$name/minta/fordulo-112.html" "$name/minta/forduló.html"
got=$(wine "C:\\$name\\talvorix-cli.exe" --json "C:\\$name\\minta\\forduló.html" 2>&1 | tr -d '\r') || true
[[ "$got" == "{\"path\":\"C:\\\\$name\\\\minta\\\\forduló.html\",\"count\":4,"* ]] \
  && pass "talvorix-cli.exe shows a path with accents in UTF-8" || fail "talvorix-cli.exe --json path: $got"

got=$(wine 'C:\talvorix-dialog-probe.exe' "C:\\$name\\talvorix.exe" "C:\\$name\\minta\\fordulo-112.html" 2>&1 \
  | tr -d '\r') || true
echo "$got"
want=$(printf '%s\n' "caption: Talvorix v$version" "counter: 1/4" "answer: 50" "exit code: 1")
if [ "$got" = "$want" ]; then pass "talvorix.exe shows the sample's riddles and ends with exit code 1 when closed"
else fail "talvorix.exe start and close"; diff <(echo "$want") <(echo "$got") || true; fi

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
