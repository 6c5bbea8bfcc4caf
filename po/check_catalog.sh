#!/bin/sh
# check_catalog.sh SOURCE_DIR
#
# po/hu.po translates every message: msgfmt's statistics show no untranslated or fuzzy
# message, and the messages the sources mark (xgettext) are exactly those of the
# template po/talvorix.pot and of hu.po. Prints what is wrong and exits 1.
set -eu
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

stats=$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$source_dir/po/hu.po" 2>&1) || {
  echo "msgfmt --check failed: $stats"
  exit 1
}
case $stats in
  *untranslated* | *fuzzy*) echo "po/hu.po: $stats"; status=1 ;;
esac

cd "$source_dir"
xgettext --language=C++ --from-code=UTF-8 --keyword=Translate --keyword=MarkForTranslation \
  --omit-header -o "$work/now.pot" cli/main.cpp cli/arguments.cpp cli/send_main.cpp cli/watch.cpp cli/checked_output.cpp
# One line per message id (a long id's continuation lines joined to it).
ids() {
  msgcat --no-location --no-wrap --sort-output "$1" |
    awk '/^msgid /{ on = 1; id = $0; next } /^msgstr/{ if (on) print id; on = 0; next } on { id = id $0 }'
}
ids "$work/now.pot" >"$work/now.ids"
for catalog in po/talvorix.pot po/hu.po; do
  ids "$catalog" | grep -v '^msgid ""$' >"$work/have.ids"
  if ! diff -u "$work/now.ids" "$work/have.ids" >"$work/diff"; then
    echo "$catalog: its messages differ from the sources' (make it anew: the talvorix-pot target)"
    cat "$work/diff"
    status=1
  fi
done
# The Windows programs' table holds every translated message, once, in byte order (the
# lookup is a binary search).
if command -v python3 >/dev/null; then
  python3 po/po_to_table.py po/hu.po "$work/table.inc"
  rows=$(grep -c '^{' "$work/table.inc")
  translated=$(printf '%s\n' "$stats" | sed -n 's/^\([0-9]*\) translated.*/\1/p')
  if [ "$rows" != "$translated" ]; then
    echo "po/po_to_table.py: $rows rows for $translated translated messages"
    status=1
  fi
  # Each row's id as the compiler reads it (C escapes), compared as strcmp compares.
  python3 - "$work/table.inc" <<'PY' || status=1
import re, sys
ids = [m.group(1).encode("latin-1").decode("unicode_escape").encode("latin-1")
       for m in re.finditer(r'^\{"((?:[^"\\]|\\.)*)", ', open(sys.argv[1], encoding="ascii").read(), re.M)]
if ids != sorted(set(ids)):
    sys.exit("po/po_to_table.py: the table's ids are not in byte order, or repeat")
PY
fi
[ "$status" -eq 0 ] && echo "po/hu.po: $stats"
exit "$status"
