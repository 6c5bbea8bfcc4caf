#!/usr/bin/env bash
# Runs every libFuzzer target for a while; new inputs go to a work corpus under the
# build folder, crashes to build-fuzz/artifacts/. Prints the executions of each target.
# Usage: fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET [target...]
set -euo pipefail
build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(scan hall hermit number saved_page single_file)
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$build/artifacts"
failed=0
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  mkdir -p "$work"
  seeds=("$here/corpus/$t")
  [ -d "$here/regressions/$t" ] && seeds+=("$here/regressions/$t")
  [ "$t" = scan ] && seeds+=("$here/../examples")
  [ "$t" = saved_page ] || [ "$t" = single_file ] && seeds+=("$here/../examples" "$here/../tests/scanner/saved_pages/saved")
  log="$build/fuzz-$t.log"
  if ! "$build/fuzz/${t}_fuzzer" -dict="$here/talvorix.dict" -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$t-" "$work" "${seeds[@]}" >"$log" 2>&1; then
    failed=1
    echo "== $t: FAILED, see $log"
    grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -5 || true
  fi
  runs=$(grep -E "^stat::number_of_executed_units" "$log" | awk '{print $2}' || true)
  cov=$(grep -E "^#[0-9]+.*(cov|DONE)" "$log" | tail -1 | grep -oE "cov: [0-9]+" || true)
  echo "== $t: ${runs:-?} executions in ${seconds}s, ${cov:-cov: ?}, corpus $(ls "$work" | wc -l) files"
done
exit $failed
