#!/usr/bin/env bash
# Installs the Debian package on this machine, checks the installed programs, removes
# the package and checks that every file it installed went with it.
#  - Depends holds the libraries dpkg-shlibdeps found, and only known package names;
#  - dpkg -i, then apt-get install -f for the dependencies it lacks;
#  - talvorix-cli and talvorix-send print their versions, talvorix-cli answers the
#    shipped sample exactly as packaging/test/fordulo-112.expected says;
#  - each man page names every option its program's --help shows;
#  - the page for the browser (talvorix.html) is in /usr/share/talvorix/;
#  - /usr/bin/talvorix starts on Qt's offscreen platform with the sample, shows its
#    riddles, and ends with exit code 1 when its window is closed (closed from inside
#    by a hook loaded with LD_PRELOAD, so the program is the packaged one, unchanged);
#  - dpkg -r leaves none of the package's files and none of its own directories.
# Usage: packaging/test-deb.sh BUILD_DIR   (the package build, default build-package)
# Runs as root (or through sudo). Refuses to run where talvorix is already installed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-package}")
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake" 2>/dev/null || true)
deb=$build/talvorix_${version}_amd64.deb
hook=$build/packaging/libtalvorix-close-hook.so
for file in "$deb" "$hook"; do
  [ -n "$version" ] && [ -f "$file" ] || { echo "missing ${file}: run 'make check-package'" >&2; exit 1; }
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "$0: installing a package needs root or sudo" >&2; exit 1; }
  sudo=sudo
fi
status() { dpkg-query -W -f='${db:Status-Status}' talvorix 2>/dev/null || echo not-installed; }
if [ "$(status)" != not-installed ]; then
  echo "$0: talvorix is installed here already ($(status)); this test installs and removes its own copy," >&2
  echo "so remove it first: dpkg -r talvorix" >&2
  exit 1
fi

scratch=$(mktemp -d)
chmod 755 "$scratch"
cleanup() {
  if [ "$(status)" != not-installed ]; then $sudo dpkg -r talvorix >/dev/null 2>&1 || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

passed=0
failed=0
pass() { echo "PASS $*"; passed=$((passed + 1)); }
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

# dpkg waits for no one: another apt or dpkg run holding its lock is waited out here.
dpkg_locked() { $sudo dpkg "$@" 2>&1 | tee "$scratch/dpkg.log"; return "${PIPESTATUS[0]}"; }
run_dpkg() {
  for _ in $(seq 60); do
    if dpkg_locked "$@"; then return 0; fi
    grep -q "dpkg frontend lock\|dpkg status database is locked" "$scratch/dpkg.log" || return 1
    sleep 2
  done
  return 1
}

echo "== dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# CPack leaves dpkg-shlibdeps out, silently, when a tool it needs is missing.
for library in libc6 libstdc++6 libqt6core6 libqt6widgets6; do
  grep -Eq "(^|, )${library//+/\\+} \\(>= " <<<"$depends" && pass "Depends: $library, versioned by dpkg-shlibdeps" \
    || fail "Depends lacks $library (was dpkg-shlibdeps run?)"
done
unknown=()
for name in $(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g'); do
  apt-cache show "$name" >/dev/null 2>&1 || unknown+=("$name")
done
[ ${#unknown[@]} -eq 0 ] && pass "every dependency is a known package" || fail "unknown dependencies: ${unknown[*]}"

recommends=$(dpkg-deb -f "$deb" Recommends)
grep -q "qt6-translations-l10n" <<<"$recommends" && pass "Recommends: qt6-translations-l10n (Qt's choosers in the player's language)" \
  || fail "Recommends lacks qt6-translations-l10n: $recommends"

echo "== dpkg -i $(basename "$deb")"
if ! run_dpkg -i "$deb"; then
  echo "== apt-get install -f (the package's dependencies)"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=120 install -f -y -qq --no-install-recommends
fi
if [ "$(status)" = installed ]; then pass "dpkg -i: installed"; else fail "dpkg -i: status $(status)"; exit 1; fi

echo "== installed programs"
sample=/usr/share/doc/talvorix/examples/fordulo-112.html
# expect WHAT WANT COMMAND...: runs COMMAND as a login shell would find it, in an empty
# directory, and compares what it prints with WANT.
expect() {
  local what=$1 want=$2 got
  shift 2
  got=$(cd "$scratch" && env -i PATH=/usr/bin:/bin "$@" 2>&1) || true
  if [ "$got" = "$want" ]; then pass "$what"; else fail "$what"; diff <(echo "$want") <(echo "$got") | head -20 || true; fi
}
expect "talvorix-cli --version" "talvorix-cli $version" talvorix-cli --version
expect "talvorix-send --version" "talvorix-send $version" talvorix-send --version
expect "talvorix-cli on the shipped sample" "$(cat "$root/packaging/test/fordulo-112.expected")" talvorix-cli "$sample"
expect "the programs are found in /usr/bin" "$(printf '/usr/bin/%s\n' talvorix talvorix-cli talvorix-send)" \
  sh -c 'for p in talvorix talvorix-cli talvorix-send; do command -v $p; done'

for program in talvorix-cli talvorix-send; do
  page=/usr/share/man/man1/$program.1.gz
  if [ ! -f "$page" ]; then fail "man page $page missing"; continue; fi
  text=$(zcat "$page" | sed 's/\\-/-/g')
  missing=()
  for option in $("$program" --help | grep -Eo -- '(^| )--[a-z]*' | sort -u); do
    grep -q -- "$option\b" <<<"$text" || missing+=("$option")
  done
  if [ ${#missing[@]} -eq 0 ]; then pass "$program(1) names every option of --help"
  else fail "$program(1) lacks ${missing[*]}"; fi
done
[ -f /usr/share/man/man1/talvorix.1.gz ] && pass "talvorix(1) installed" || fail "talvorix(1) missing"
for program in talvorix talvorix-cli talvorix-send; do
  [ -f "/usr/share/man/hu/man1/$program.1.gz" ] && pass "$program(1) in Hungarian installed (man -L hu)" \
    || fail "/usr/share/man/hu/man1/$program.1.gz missing"
done
# The programs find the installed catalog: Hungarian by the locale, English without it.
expect "talvorix-cli in Hungarian (LANGUAGE=hu)" "Használat: talvorix-cli [--json] FORDULÓ..." \
  sh -c 'LANG=C.UTF-8 LANGUAGE=hu talvorix-cli --help | head -n 1'
expect "talvorix-send in Hungarian (LANGUAGE=hu)" "Használat: talvorix-send ÚTVONAL" \
  sh -c 'LANG=C.UTF-8 LANGUAGE=hu talvorix-send --help | head -n 1'
expect "talvorix-cli in English (LANG=C)" "Usage: talvorix-cli [--json] REPORT..." \
  sh -c 'LANG=C talvorix-cli --help | head -n 1'
web_page=/usr/share/talvorix/talvorix.html
if [ -s "$web_page" ] && head -c 15 "$web_page" | grep -qix '<!doctype html>' && grep -q 'id="report"' "$web_page"
then pass "the page for the browser installed ($web_page)"; else fail "the page for the browser: $web_page"; fi

echo "== the dialog on the offscreen platform"
runtime=$scratch/runtime  # its own hand-over socket, apart from any running dialog
mkdir -m 700 "$runtime"
code=0
env -i PATH=/usr/bin:/bin HOME="$scratch" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen \
  LD_PRELOAD="$hook" timeout 30 /usr/bin/talvorix "$sample" >"$scratch/dialog.out" 2>&1 || code=$?
cat "$scratch/dialog.out"
[ $code -eq 1 ] && pass "talvorix ended with exit code 1 when closed" || fail "talvorix ended with exit code $code"
grep -qx "close-hook: caption: Talvorix v$version" "$scratch/dialog.out" && pass "window caption" || fail "window caption"
grep -qx "close-hook: counter: 1/4" "$scratch/dialog.out" && pass "the sample's riddles shown (1/4)" || fail "no 1/4 counter"

echo "== dpkg -r talvorix"
mapfile -t paths < <(dpkg-query -L talvorix)
run_dpkg -r talvorix >/dev/null || true
[ "$(status)" = not-installed ] && pass "dpkg -r: not installed" || fail "dpkg -r: status $(status)"
left=()
for path in "${paths[@]}"; do
  [ "$path" = /. ] && continue
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    # A directory stays only while another package owns it or something else is in it.
    if [ -z "$(ls -A "$path")" ] && ! dpkg-query -S "$path" >/dev/null 2>&1; then left+=("$path/"); fi
  elif [ -e "$path" ] || [ -L "$path" ]; then
    left+=("$path")
  fi
done
if [ ${#left[@]} -eq 0 ]; then pass "dpkg -r removed all ${#paths[@]} paths the package installed"
else fail "dpkg -r left ${left[*]}"; fi

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
