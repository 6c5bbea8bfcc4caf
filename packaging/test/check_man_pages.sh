#!/bin/sh
# check_man_pages.sh SOURCE_DIR TALVORIX_CLI TALVORIX_SEND
#
# The man pages name everything a user can reach: every key and menu item of the
# dialog that README.md's "Keys and menu" table lists (in talvorix.1), and every option
# that `talvorix-cli --help` and `talvorix-send --help` print (in their own pages).
# OLVASSEL.txt names the keys and menu items too.
# Prints each one missing and exits 1 when any is.
set -u
source_dir=$1
cli=$2
send=$3
man=$source_dir/packaging/man
status=0

# The page's text as a reader sees it, near enough: roff's "\-" is a hyphen. A page
# named hu/NAME is the Hungarian one.
page_text() { sed 's/\\-/-/g' "$man/$1.1.in"; }

# expect_in PAGE WORD...: each WORD appears in PAGE.
expect_in() {
  page=$1
  shift
  text=$(page_text "$page")
  for word in "$@"; do
    if ! printf '%s\n' "$text" | grep -qF -- "$word"; then
      echo "$page.1: does not mention $word"
      status=1
    fi
  done
}

# The rows of the table under "Keys and menu": the key and the menu item of each,
# "—" standing for none.
table=$(sed -n '/^| Key | Menu item |/,/^$/p' "$source_dir/README.md" | grep '^| ' | grep -v '^| Key |' |
  grep -v '^|---')
if [ -z "$table" ]; then
  echo "README.md: no \"Keys and menu\" table found"
  exit 1
fi
keys=$(printf '%s\n' "$table" | awk -F'|' '{ gsub(/^ +| +$/, "", $2); if ($2 != "—") print $2 }')
items=$(printf '%s\n' "$table" | awk -F'|' '{ gsub(/^ +| +$/, "", $3); if ($3 != "—") print $3 }')
old_ifs=$IFS
IFS='
'
# shellcheck disable=SC2086  # one word per line
expect_in talvorix $keys $items
IFS=$old_ifs

# Every option of the help, long and short, in the help's own language.
# options english|hungarian PROGRAM
options() {
  case $1 in
    english) env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=C "$2" --help ;;
    hungarian) env -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 LANGUAGE=hu "$2" --help ;;
  esac | grep -Eo -- '(^| )-(-[a-z]*|[a-z])' | tr -d ' ' | sort -u
}
# shellcheck disable=SC2046  # options are single words
expect_in talvorix-cli $(options english "$cli")
# shellcheck disable=SC2046
expect_in talvorix-send $(options english "$send")
# The Hungarian pages beside them: the same options (from the Hungarian help), keys and
# menu items, and each page's sections.
# shellcheck disable=SC2046
expect_in hu/talvorix-cli $(options hungarian "$cli")
# shellcheck disable=SC2046
expect_in hu/talvorix-send $(options hungarian "$send")
IFS='
'
# shellcheck disable=SC2086
expect_in hu/talvorix $keys $items
IFS=$old_ifs
for page in talvorix talvorix-cli talvorix-send; do
  if [ ! -f "$man/hu/$page.1.in" ]; then
    echo "hu/$page.1: missing"
    status=1
  fi
done

# The Windows players' OLVASSEL.txt names the same keys and menu items, and the
# command line's folder watching.
olvassel=$source_dir/packaging/windows/OLVASSEL.txt
IFS='
'
for word in $keys $items --watch --once; do
  if ! grep -qF -- "$word" "$olvassel"; then
    echo "OLVASSEL.txt: does not mention $word"
    status=1
  fi
done
IFS=$old_ifs
# The console shows the letters by itself: no code page to switch.
if grep -q 'chcp' "$olvassel"; then
  echo "OLVASSEL.txt: still tells the player to switch the console's code page"
  status=1
fi

[ "$status" -eq 0 ] && echo "every key, menu item and option is in the man pages and OLVASSEL.txt"
exit "$status"
