#!/usr/bin/env bash
# Checks the Windows installer as a player runs it, in a fresh Wine prefix:
#  - it is a 64-bit program with the icon and a version record of this version
#    (packaging/test/check_pe.py);
#  - a silent install (/S) puts exactly the zip's files into
#    %LOCALAPPDATA%\Programs\Talvorix, with the uninstaller;
#  - the Start menu holds "Talvorix" and "Talvorix – Letöltések figyelése", Send To holds
#    "Talvorix", each leading to the installed talvorix.exe (read back through
#    IShellLinkW by talvorix-shortcut-probe.exe); the watching entry names the Downloads
#    folder that Explorer's Shell Folders key gives, or %USERPROFILE%\Downloads without it;
#  - the Apps entry (HKCU\...\Uninstall\Talvorix) holds exactly the expected values;
#  - the installed dialog starts on the installed sample as Send To starts it, and on the
#    Downloads folder as the Start-menu entry starts it (talvorix-dialog-probe.exe);
#  - an install while an installed program runs stops (exit code 2) and changes nothing;
#  - a second install into another folder replaces the first: one copy, one Apps entry;
#  - the uninstaller, run as Apps runs it (QuietUninstallString), leaves no file, folder,
#    shortcut or registry key behind, and keeps the player's own files.
# Usage: packaging/test-installer.sh BUILD_DIR   (the Windows build, default build-package-win)
# The prefix is BUILD_DIR/installer-test (made afresh, kept when a check fails).
# Needs python3, wine, wine64 and xvfb-run (xvfb, xauth).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-package-win}")
version=$(sed -n 's/^#define TALVORIX_VERSION_STRING "\(.*\)"$/\1/p' "$build/generated/core/version.h" 2>/dev/null || true)
setup=$build/talvorix-$version-setup.exe
stage=$build/packaging/zip/talvorix-$version-win64
dialog_probe=$build/packaging/talvorix-dialog-probe.exe
shortcut_probe=$build/packaging/talvorix-shortcut-probe.exe
for file in "$setup" "$stage/talvorix.exe" "$dialog_probe" "$shortcut_probe"; do
  [ -n "$version" ] && [ -f "$file" ] || { echo "missing ${file}: run 'make check-package'" >&2; exit 1; }
done

# Under xvfb-run from here on: the dialog needs a display, and gets a fresh one.
if [ -z "${TALVORIX_UNDER_XVFB:-}" ]; then
  export TALVORIX_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

scratch=$build/installer-test
rm -rf "$scratch"
mkdir -p "$scratch/home"
# Its own HOME: the prefix's user folders are plain folders, not links into the real ones.
export HOME=$scratch/home WINEPREFIX=$scratch/wineprefix WINEDEBUG=-all
# No Mono or Gecko installer prompts, and no Linux menu entries for the shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineboot --init >/dev/null 2>&1

passed=0
failed=0
pass() { echo "PASS $*"; passed=$((passed + 1)); }
fail() { echo "FAIL $*"; failed=$((failed + 1)); }
# Runs a Windows program and waits until every process it started has ended too: the
# uninstaller copies itself to the temporary folder and returns at once.
run() { wine "$@" && wineserver -w; }
# reg_values KEY: the key's values as "NAME|sz|TEXT" or "NAME|dword|NUMBER" lines, sorted;
# nothing when there is no such key. Read from `reg export`, which writes UTF-16 whatever
# the code pages (`reg query` prints in the OEM code page).
reg_values() {
  local file_w='C:\reg-export.reg'
  wine reg export "$1" "$file_w" /y >/dev/null 2>&1 || return 0
  python3 - "$(unix "$file_w")" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-16").read()
rows = []
# The version line, a blank line, the key's own [KEY] line, its values, then any subkey.
for line in text.splitlines()[3:]:
    if line.startswith("["):
        break
    m = re.fullmatch(r'"((?:[^"\\]|\\.)*)"=(?:"((?:[^"\\]|\\.)*)"|dword:([0-9a-f]{8}))', line)
    if m is None:
        continue
    unescape = lambda t: re.sub(r"\\(.)", r"\1", t)
    if m.group(3) is not None:
        rows.append(f"{unescape(m.group(1))}|dword|{int(m.group(3), 16)}")
    else:
        rows.append(f"{unescape(m.group(1))}|sz|{unescape(m.group(2))}")
print("\n".join(sorted(rows)))
PY
  rm -f "$(unix "$file_w")"
}
winvar() { wine cmd /c "echo %$1%" | tr -d '\r'; }
unix() { winepath -u "$1" | tr -d '\r' | sed 's:/$::'; }

profile=$(winvar USERPROFILE)
appdata=$(winvar APPDATA)
default_dir=$(winvar LOCALAPPDATA)\\Programs\\Talvorix
other_dir='C:\Játékok\Talvorix'
start_menu="$appdata\\Microsoft\\Windows\\Start Menu\\Programs"
send_to=$appdata\\Microsoft\\Windows\\SendTo
apps_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
downloads_id='{374DE290-123F-4565-9164-39C4925E467B}'
sample=$stage/minta/fordulo-112.html

# The Downloads folder moved by the player, with a saved report in it.
moved_downloads="$profile\\Mentett oldalak"
mkdir -p "$(unix "$moved_downloads")" "$(unix "$profile\\Downloads")"
cp "$sample" "$(unix "$moved_downloads")/"
cp "$sample" "$(unix "$profile\\Downloads")/"
wine reg add "$shell_folders" /v "$downloads_id" /d "$moved_downloads" /f >/dev/null

# What the player's profile holds before the install; the uninstall must come back to it.
# The temporary folder is left out: the uninstaller runs from a copy of itself there, as
# every NSIS uninstaller does, and that copy is the system's to clean up.
temp_dir=$(unix "$(winvar TEMP)")
snapshot() { (cd "$(unix "$profile")" && find . -path "./${temp_dir#"$(unix "$profile")/"}" -prune -o -print | sort); }
before=$(snapshot)

# Exactly the zip's files (the page among them when the package was built with it), and
# the uninstaller.
want_files=$( { (cd "$stage" && find . -mindepth 1 | sed 's:^\./::'); echo uninstall.exe; } | sort)

# check_install DIR DOWNLOADS: the files, shortcuts and Apps entry of a copy in DIR whose
# watching entry names DOWNLOADS.
check_install() {
  local dir=$1 downloads=$2 udir got want
  udir=$(unix "$dir")
  got=$( (cd "$udir" && find . -mindepth 1 | sed 's:^\./::' | sort) 2>/dev/null || true)
  if [ "$got" = "$want_files" ]; then pass "the files in $dir"
  else fail "the files in $dir"; diff <(echo "$want_files") <(echo "$got") || true; fi
  local same=1
  for file in LICENSE.txt OLVASSEL.txt minta/fordulo-112.html talvorix-cli.exe talvorix-send.exe talvorix.exe; do
    cmp -s "$stage/$file" "$udir/$file" || { same=0; echo "differs from the zip's: $file"; }
  done
  [ $same -eq 1 ] && pass "the installed files are the zip's" || fail "the installed files are not the zip's"

  got=$(wine "$shortcut_probe" "$start_menu" | tr -d '\r')
  want=$(printf '%s\n' "Talvorix – Letöltések figyelése.lnk|$dir\\talvorix.exe|\"$downloads\"|$dir" \
    "Talvorix.lnk|$dir\\talvorix.exe||$dir")
  if [ "$got" = "$want" ]; then pass "the Start-menu entries (the watching one on $downloads)"
  else fail "the Start-menu entries"; diff <(echo "$want") <(echo "$got") || true; fi
  got=$(wine "$shortcut_probe" "$send_to" | tr -d '\r')
  want="Talvorix.lnk|$dir\\talvorix.exe||$dir"
  if [ "$got" = "$want" ]; then pass "the Send To entry"
  else fail "the Send To entry"; diff <(echo "$want") <(echo "$got") || true; fi

  got=$(reg_values "$apps_key\\Talvorix")
  local size
  size=$(sed -n 's/^EstimatedSize|dword|//p' <<<"$got")
  want=$(printf '%s\n' "DisplayIcon|sz|$dir\\talvorix.exe" "DisplayName|sz|Talvorix" \
    "DisplayVersion|sz|$version" "EstimatedSize|dword|$size" "InstallLocation|sz|$dir" \
    "NoModify|dword|1" "NoRepair|dword|1" \
    "QuietUninstallString|sz|\"$dir\\uninstall.exe\" /S" "UninstallString|sz|\"$dir\\uninstall.exe\"" | sort)
  if [ "$got" = "$want" ]; then pass "the Apps entry's values"
  else fail "the Apps entry's values"; diff <(echo "$want") <(echo "$got") || true; fi
  # In KiB, within one of what the files take.
  local kib=$(( $(find "$udir" -type f -exec cat {} + | wc -c) / 1024 ))
  if [ -n "$size" ] && [ $((size - kib)) -le 1 ] && [ $((kib - size)) -le 1 ]; then pass "EstimatedSize $((size)) KiB"
  else fail "EstimatedSize ${size:-none}, the files take $kib KiB"; fi

  got=$(wine reg query "$apps_key" /s | tr -d '\r' | grep -c '^    DisplayName    REG_SZ    Talvorix$' || true)
  [ "$got" = 1 ] && pass "one Apps entry" || fail "$got Apps entries"
}

# probe_dialog WHAT EXE ARGUMENT: the dialog started as EXE "ARGUMENT" shows the sample.
probe_dialog() {
  local got want
  got=$(wine "$dialog_probe" "$2" "$3" 2>&1 | tr -d '\r') || true
  want=$(printf '%s\n' "caption: Talvorix v$version" "counter: 1/4" "answer: 50" "exit code: 1")
  if [ "$got" = "$want" ]; then pass "$1"
  else fail "$1"; diff <(echo "$want") <(echo "$got") || true; fi
}

echo "== $(basename "$setup")"
if python3 "$root/packaging/test/check_pe.py" "$version" "$setup"; then
  pass "a 64-bit program importing system DLLs only, with the icon and a version record"
else
  fail "the installer's imports or resources"
fi

echo "== install (/S) with the Downloads folder moved to $moved_downloads"
run "$setup" /S && pass "the installer exits 0" || fail "the installer exits $?"
check_install "$default_dir" "$moved_downloads"
# Explorer starts a Send To shortcut's target with the chosen file added, in quotes.
target=$(wine "$shortcut_probe" "$send_to" | tr -d '\r' | cut -d'|' -f2)
probe_dialog "Send To: the installed dialog shows the installed sample" "$target" "$default_dir\\minta\\fordulo-112.html"
line=$(wine "$shortcut_probe" "$start_menu" | tr -d '\r' | grep '^Talvorix – ' || true)
argument=$(cut -d'|' -f3 <<<"$line")
argument=${argument#\"}
probe_dialog "the watching entry: the dialog shows the report in the Downloads folder" \
  "$(cut -d'|' -f2 <<<"$line")" "${argument%\"}"

# The second program the uninstaller looks at: the first must not be gone either.
echo "== an install while the installed talvorix-cli.exe --watch runs: refused, the installed copy kept"
wine "$default_dir\\talvorix-cli.exe" --watch "$moved_downloads" >/dev/null 2>&1 &
sleep 5  # started; its program file cannot be written or deleted now
status=0
wine "$setup" /S "/D=$other_dir" || status=$?
[ $status -eq 2 ] && pass "the installer stops with exit code 2" || fail "the installer exits $status"
wineserver -k >/dev/null 2>&1 || true  # ends the dialog
wait || true
check_install "$default_dir" "$moved_downloads"
[ ! -e "$(unix "$other_dir")" ] && pass "nothing in $other_dir" || fail "$other_dir was made"

echo "== upgrade: a second install, into $other_dir, without the Shell Folders value"
wine reg delete "$shell_folders" /v "$downloads_id" /f >/dev/null
run "$setup" /S "/D=$other_dir" && pass "the second install exits 0" || fail "the second install exits $?"
check_install "$other_dir" "$profile\\Downloads"
[ ! -e "$(unix "$default_dir")" ] && pass "the first copy's folder is gone" || fail "the first copy's folder is still there"

echo "== uninstall, as Apps runs it"
quiet=$(reg_values "$apps_key\\Talvorix" | sed -n 's/^QuietUninstallString|sz|//p')
uninstaller=${quiet%\" /S}
uninstaller=${uninstaller#\"}
if [ "$quiet" = "\"$uninstaller\" /S" ]; then
  run "$uninstaller" /S && pass "the uninstaller exits 0" || fail "the uninstaller exits $?"
else
  fail "QuietUninstallString: $quiet"
fi
[ ! -e "$(unix "$other_dir")" ] && pass "the program folder is gone" || fail "the program folder is still there"
got=$(wine "$shortcut_probe" "$start_menu" | tr -d '\r')$(wine "$shortcut_probe" "$send_to" | tr -d '\r')
[ -z "$got" ] && pass "no shortcut left" || fail "shortcuts left: $got"
wine reg query "$apps_key\\Talvorix" >/dev/null 2>&1 && fail "the Apps entry is still there" || pass "no Apps entry left"
after=$(snapshot)
if [ "$after" = "$before" ]; then pass "the profile holds what it held before the install"
else fail "the profile changed"; diff <(echo "$before") <(echo "$after") || true; fi
cmp -s "$sample" "$(unix "$moved_downloads")/fordulo-112.html" && pass "the player's own files stay" \
  || fail "the player's report in $moved_downloads is gone"

echo "$passed passed, $failed failed"
if [ $failed -eq 0 ]; then
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$scratch"
fi
[ $failed -eq 0 ]
