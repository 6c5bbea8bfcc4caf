#!/usr/bin/env bash
# The 100 MB riddle-dense archive (bench/make_reports) read by the native talvorix-cli
# (--json to /dev/null), by the WebAssembly engine under Node and by the page in
# headless Chromium (chosen to its first answer). Best of RUNS (3) runs each.
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

best=""
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$bench/cli/talvorix-cli" --json "$dense" >/dev/null
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
echo "native talvorix-cli --json: best of $runs: $best ms"
/usr/bin/time -f "native peak memory: %M KiB" "$bench/cli/talvorix-cli" --json "$dense" >/dev/null

node web/bench_node.js "$web/web/talvorix-engine.js" "$dense" "$runs"
/usr/bin/time -f "Node peak memory: %M KiB" node web/bench_node.js "$web/web/talvorix-engine.js" "$dense" 1 >/dev/null
for _ in $(seq "$runs"); do
  /usr/bin/python3 web/tests/browser_test.py "$web/talvorix.html" "$bench/cli/talvorix-cli" --bench "$dense"
done
