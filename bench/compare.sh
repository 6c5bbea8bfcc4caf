#!/usr/bin/env bash
# Whole-process figures in one run: talvorix-cli against cat and against grep -c -F -f
# (the trigger phrases) on the same 100 MB report; the CLI on the bundled sample; and
# each hostile report against its double. Times are the best of several runs.
# Usage: bench/compare.sh [BUILD_DIR]   (a Release build with TALVORIX_BENCHMARKS=ON)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
cli="$build/cli/talvorix-cli"
reports="$build/reports"
runs=${RUNS:-5}
[ -x "$cli" ] && [ -x "$build/bench/make_reports" ] || { echo "build $build first (make bench)" >&2; exit 1; }
mkdir -p "$reports"

# The phrases that arm a Hall riddle or start a hermit puzzle, as grep patterns.
phrases="$reports/trigger-phrases.txt"
"$build/bench/make_reports" --phrases > "$phrases"

# best_ms COMMAND...: the best wall time of $runs runs in milliseconds (output discarded).
best_ms() {
  local best="" t0 t1 ms
  for _ in $(seq "$runs"); do
    t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s%N)
    ms=$(( (t1 - t0) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}
# peak_kb COMMAND...: the peak resident memory in KB (needs /usr/bin/time).
peak_kb() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -1
  else
    echo "?"
  fi
}
# grep_count FILE: the count written to a file, not to /dev/null: GNU grep stops at the
# first match when its output is /dev/null, which would time almost nothing.
grep_count() { grep -c -F -f "$phrases" "$1" > "$reports/grep-count.txt"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "inf"; else printf "%.2f", a / b }'; }

make_report() { [ -f "$reports/$1" ] || "$build/bench/make_reports" "$reports" "$1"; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(uname -sr)"
echo "best of $runs runs each"
echo

make_report ordinary-100mb.html
big="$reports/ordinary-100mb.html"
cat "$big" >/dev/null  # in the page cache for everyone
t_cat=$(best_ms cat "$big")
t_grep=$(best_ms grep_count "$big")
t_cli=$(best_ms "$cli" "$big")
echo "100 MB ordinary report"
printf "  %-28s %6d ms\n" "cat" "$t_cat" "grep -c -F -f (phrases)" "$t_grep" "talvorix-cli" "$t_cli"
echo "  talvorix-cli / grep: $(ratio "$t_cli" "$t_grep")   talvorix-cli / cat: $(ratio "$t_cli" "$t_cat")"
echo "  talvorix-cli peak memory: $(peak_kb "$cli" "$big") KB"
echo

make_report riddle-dense-100mb.html
dense="$reports/riddle-dense-100mb.html"
cat "$dense" >/dev/null
t_cat=$(best_ms cat "$dense")
t_grep=$(best_ms grep_count "$dense")
t_cli=$(best_ms "$cli" "$dense")
t_json=$(best_ms "$cli" --json "$dense")
echo "100 MB riddle-dense archive (the sample reports back to back)"
printf "  %-28s %6d ms\n" "cat" "$t_cat" "grep -c -F -f (phrases)" "$t_grep" "talvorix-cli" "$t_cli" "talvorix-cli --json" "$t_json"
echo "  talvorix-cli / grep: $(ratio "$t_cli" "$t_grep")   --json / grep: $(ratio "$t_json" "$t_grep")"
echo "  peak memory: $(peak_kb "$cli" "$dense") KB   --json: $(peak_kb "$cli" --json "$dense") KB"
echo

sample=examples/fordulo-112.html
echo "sample report ($sample)"
echo "  cat: $(RUNS=20 best_ms cat "$sample") ms   talvorix-cli: $(RUNS=20 best_ms "$cli" "$sample") ms (best of 20)   --json: $(best_ms "$cli" --json "$sample") ms"
echo "  peak memory: $(peak_kb "$cli" "$sample") KB"
echo

echo "hostile reports, each against its double"
printf "  %-26s %9s %9s %7s %11s %11s\n" report "time" "double" ratio "peak KB" "double KB"
for pair in ordinary-100mb:ordinary-200mb unclosed-hermit-1m:unclosed-hermit-2m \
    many-puzzles-100k:many-puzzles-200k riddle-dense-100mb:riddle-dense-200mb single-line-50mb:single-line-100mb nul-run-50mb:nul-run-100mb; do
  one="${pair%%:*}.html"; two="${pair##*:}.html"
  make_report "$one"; make_report "$two"
  a=$(best_ms "$cli" "$reports/$one"); b=$(best_ms "$cli" "$reports/$two")
  printf "  %-26s %6d ms %6d ms %7s %11s %11s\n" "$one" "$a" "$b" "$(ratio "$b" "$a")" \
    "$(peak_kb "$cli" "$reports/$one")" "$(peak_kb "$cli" "$reports/$two")"
done
