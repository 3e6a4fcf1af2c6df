#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for SECONDS (default 20), starting from the seed
# corpus kept in fuzz/corpus/<target>. New inputs go to a scratch corpus, not into the tree.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
# With QZB_FUZZ_RUNS=N each target instead runs exactly N inputs from a fixed seed, so the run is
# the same every time (the test command uses this).
# With QZB_FUZZ_CORPUS=DIR each target's grown corpus is kept in DIR/<target>, and the next run goes
# on from it: long runs add thousands of inputs, so a tmpfs such as /dev/shm suits it best.
# QZB_FUZZ_OPTIONS adds libFuzzer options, e.g. "-entropic=0 -reduce_inputs=0": with tens of
# thousands of corpus entries (the 68000 target) the default scheduling took a fifth of the time.
set -euo pipefail
keep="${QZB_FUZZ_CORPUS:+$(realpath -m "$QZB_FUZZ_CORPUS")}"
cd "$(dirname "$0")/.."
root="$PWD"
seconds="${1:-20}"
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in build/fuzz/fuzz/fuzz_*; do targets+=("$(basename "$f" | sed 's/^fuzz_//')"); done
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
for t in "${targets[@]}"; do
  corpus="$work/$t"
  [ -n "$keep" ] && corpus="$keep/$t"
  mkdir -p "$corpus" "$work/run-$t"
  [ -d "fuzz/corpus/$t" ] && cp -r "fuzz/corpus/$t/." "$corpus/"
  if [ -n "${QZB_FUZZ_RUNS:-}" ]; then
    limit=(-runs="$QZB_FUZZ_RUNS" -seed=1)
    echo "== fuzzing $t for $QZB_FUZZ_RUNS inputs"
  else
    limit=(-max_total_time="$seconds")
    echo "== fuzzing $t for ${seconds}s"
  fi
  # shellcheck disable=SC2086 # the options are meant to split into words
  if ! (cd "$work/run-$t" && "$root/build/fuzz/fuzz/fuzz_$t" "${limit[@]}" -print_final_stats=1 \
          ${QZB_FUZZ_OPTIONS:-} "$corpus" > log.txt 2>&1); then
    status=1
    echo "fuzz target $t found a fault; its input is kept in fuzz/findings/"
    mkdir -p fuzz/findings
    cp "$work/run-$t"/crash-* "$work/run-$t"/leak-* "$work/run-$t"/timeout-* fuzz/findings/ 2>/dev/null || true
    grep -E 'ERROR|SUMMARY' "$work/run-$t/log.txt" | head -5 || true
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|cov: ' "$work/run-$t/log.txt" | tail -3 || true
done
exit $status
