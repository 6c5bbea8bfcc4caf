#!/usr/bin/env bash
# The 100 MB riddle-dense archive (bench/make_reports) read by the native talvorix-cli
# (--json to /dev/null), by the WebAssembly engine under Node (the file read, scanned and
# every record fetched) and by the page in headless Chromium (chosen to its first
# answer). The three take turns, RUNS (3) rounds, so that they meet the same load on a
# shared machine; then the peak memory of the CLI and of Node.
# Usage: web/bench.sh BENCH_BUILD WEB_BUILD
set -euo pipefail
bench=${1:-build-bench}
web=${2:-build-web}
runs=${RUNS:-3}
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
"$bench/bench/make_reports" "$reports" riddle-dense-100mb.html
dense="$reports/riddle-dense-100mb.html"
echo "riddle-dense archive: $(stat -c %s "$dense") bytes"

best() { tr ' ' '\n' | sed '/^$/d' | sort -n | head -1; }
native=() node_ms=() chromium=()
for round in $(seq "$runs"); do
  start=$(date +%s%N)
  "$bench/cli/talvorix-cli" --json "$dense" >/dev/null
  native+=($(( ($(date +%s%N) - start) / 1000000 )))
  line=$(node web/bench_node.js "$web/web/talvorix-engine.js" "$dense" 1)
  node_ms+=($(sed -E 's/.*best of 1: ([0-9]+) ms.*/\1/' <<<"$line"))
  line=$(/usr/bin/python3 web/tests/browser_test.py "$web/talvorix.html" "$bench/cli/talvorix-cli" --bench "$dense")
  chromium+=($(sed -E 's/.* in ([0-9]+) ms.*/\1/' <<<"$line"))
  echo "round $round: native ${native[-1]} ms, Node ${node_ms[-1]} ms, Chromium ${chromium[-1]} ms"
done
n=$(best <<<"${native[*]}") o=$(best <<<"${node_ms[*]}") c=$(best <<<"${chromium[*]}")
echo "best of $runs: native talvorix-cli --json $n ms; Node $o ms ($(awk "BEGIN{printf \"%.2f\", $o/$n}")x);" \
  "Chromium $c ms ($(awk "BEGIN{printf \"%.2f\", $c/$n}")x)"
/usr/bin/time -f "native talvorix-cli --json: peak memory %M KiB" "$bench/cli/talvorix-cli" --json "$dense" >/dev/null
/usr/bin/time -f "Node: peak memory %M KiB" node web/bench_node.js "$web/web/talvorix-engine.js" "$dense" 1 >/dev/null
/usr/bin/time -f "Node, the engine started and nothing read: peak memory %M KiB" \
  node -e "require('./web/engine.js').createEngine(require('./$web/web/talvorix-engine.js'))"
