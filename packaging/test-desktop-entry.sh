#!/usr/bin/env bash
# Checks the desktop entry's "Letöltések figyelése" action as a menu starts it: the
# entry passes desktop-file-validate, then the action's Exec line, split as the desktop
# entry rules say (the key's string escapes, then double quotes and their escapes), runs
# in a temporary home with a fake xdg-user-dir and a fake talvorix on an otherwise empty
# PATH, once per row below; the fake talvorix records the arguments it got.
# Usage: packaging/test-desktop-entry.sh [TALVORIX.DESKTOP]   (default dialog/qt/talvorix.desktop)
# Needs desktop-file-utils and python3. Run by ctest and by packaging/validate.sh on the
# packaged entry.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
desktop=$(realpath "${1:-$root/dialog/qt/talvorix.desktop}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

passed=0
failed=0
pass() { echo "PASS $*"; passed=$((passed + 1)); }
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

out=$(desktop-file-validate "$desktop" 2>&1) && ! grep -Eq '(error|warning):' <<<"$out" \
  && pass "desktop-file-validate" || { fail "desktop-file-validate"; echo "$out"; }

# The action's names and its Exec line, as NUL-separated arguments.
python3 - "$desktop" "$scratch/argv" "$scratch/names" <<'PY'
import sys

group, keys = None, {}
for line in open(sys.argv[1], encoding="utf-8").read().splitlines():
    if line.startswith("["):
        group = line.strip("[]")
    elif "=" in line and not line.startswith("#"):
        key, value = line.split("=", 1)
        keys[(group, key)] = value

def unescape_string(value):
    out, i = [], 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value):
            out.append({"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}.get(value[i + 1], "\\" + value[i + 1]))
            i += 2
        else:
            out.append(value[i])
            i += 1
    return "".join(out)

def split_exec(line):
    args, current, quoted, started, i = [], [], False, False, 0
    while i < len(line):
        c = line[i]
        if quoted:
            if c == "\\" and i + 1 < len(line) and line[i + 1] in '"`$\\':
                current.append(line[i + 1])
                i += 1
            elif c == '"':
                quoted = False
            else:
                current.append(c)
        elif c == '"':
            quoted = started = True
        elif c == " ":
            if started:
                args.append("".join(current))
            current, started = [], False
        elif c in "\t\n'\\><~|&;$*?#()`":
            sys.exit(f"reserved character {c!r} outside double quotes in the Exec line")
        else:
            current.append(c)
            started = True
        i += 1
    if quoted:
        sys.exit("unterminated double quote in the Exec line")
    if started:
        args.append("".join(current))
    return args

action = "Desktop Action watch-downloads"
if "watch-downloads" not in keys.get(("Desktop Entry", "Actions"), "").split(";"):
    sys.exit("Actions= does not list watch-downloads")
exec_line = keys.get((action, "Exec"))
if exec_line is None:
    sys.exit(f"no [{action}] with an Exec key")
argv = split_exec(unescape_string(exec_line))
if any("%" in arg for arg in argv):
    sys.exit("the action's Exec line has a field code; it takes no file")
open(sys.argv[2], "wb").write(b"\0".join(a.encode() for a in argv))
open(sys.argv[3], "w", encoding="utf-8").write(
    f"{keys.get((action, 'Name'), '')}\n{keys.get((action, 'Name[hu]'), '')}\n")
PY
mapfile -d '' argv < "$scratch/argv"
mapfile -t names < "$scratch/names"
[ "${names[1]}" = "Letöltések figyelése" ] && [ -n "${names[0]}" ] \
  && pass "the action's names: ${names[0]} / ${names[1]}" || fail "the action's names: ${names[*]}"

# One row per case: what xdg-user-dir prints ("-" for none on PATH, HOME for the home
# folder as it prints with no download folder set), the folders that exist in the home,
# and the folder talvorix must get. ~ stands for the temporary home.
rows=(
  "~/Saját letöltések|~/Downloads|~/Saját letöltések"           # the set folder, with a blank
  "~/Le \$(touch x) \"\`|-|~/Le \$(touch x) \"\`"               # quotes and $ are kept as they are
  "~/Nincs ilyen|-|~/Nincs ilyen"                               # a set folder that is missing still wins
  "HOME|~/Letöltések|~/Letöltések"
  "HOME|~/Downloads|~/Downloads"
  "HOME|~/Letöltések ~/Downloads|~/Letöltések"
  "HOME|-|~/Downloads"                                          # none exists: the dialog says so
  "-|~/Letöltések|~/Letöltések"                                 # no xdg-user-dir installed
  "-|~/Downloads|~/Downloads"
)
for row in "${rows[@]}"; do
  IFS='|' read -r prints folders want <<<"$row"
  home=$scratch/home
  bin=$scratch/bin
  rm -rf "$home" "$bin"
  mkdir -p "$home" "$bin"
  ln -s "$(command -v sh)" "$bin/sh"
  printf '#!/bin/sh\nprintf "%%s\\n" "$#" "$@" > "%s/got"\n' "$scratch" > "$bin/talvorix"
  case $prints in
    -) ;;
    HOME) printf '#!/bin/sh\n[ "$1" = DOWNLOAD ] && echo "$HOME"\n' > "$bin/xdg-user-dir" ;;
    *) printf '%s\n' "${prints/#\~/$home}" > "$scratch/download-dir"
       printf '#!/bin/sh\n[ "$1" = DOWNLOAD ] && IFS= read -r d < "%s/download-dir" && printf "%%s\\n" "$d"\n' \
         "$scratch" > "$bin/xdg-user-dir" ;;
  esac
  chmod +x "$bin"/*
  if [ "$folders" != - ]; then
    for folder in $folders; do mkdir -p "${folder/#\~/$home}"; done
  fi
  rm -f "$scratch/got"
  (cd "$home" && env -i HOME="$home" PATH="$bin" "${argv[@]}") || true
  got=$(cat "$scratch/got" 2>/dev/null || echo "talvorix did not run")
  want=$(printf '%s\n' 1 "${want/#\~/$home}")
  if [ "$got" = "$want" ] && [ ! -e "$home/x" ]; then pass "xdg-user-dir '$prints', folders '$folders': talvorix ${row##*|}"
  else fail "xdg-user-dir '$prints', folders '$folders'"; diff <(echo "$want") <(echo "$got") || true; fi
done

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
