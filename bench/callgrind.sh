#!/usr/bin/env bash
# Host instructions per emulated frame of the whole machine (the built-in game, sound on), and per
# emulated 68000 and Z80 instruction (the cores' benchmarks), counted by callgrind.
# Counts, unlike times, repeat exactly for the same binary and input.
#   bash bench/callgrind.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
frames="${1:-300}"
cmake --build --preset release --target qzb-run cpu68k_bench cpuz80_bench >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The awk scripts read to the end: an early exit would break the pipe and, under pipefail, the script.
total_ir() { callgrind_annotate "$1" 2>/dev/null | awk '/PROGRAM TOTALS/ && !n { gsub(",", "", $1); n = $1 } END { print n }'; }
inclusive_ir() { # file, function name
  callgrind_annotate --inclusive=yes "$1" 2>/dev/null | awk -v f="$2" 'index($0, f) && !n { gsub(",", "", $1); n = $1 } END { print n }'
}

cd "$work"
run="$root/build/release/tools/qzb_run/qzb-run"
valgrind --tool=callgrind --callgrind-out-file=start.out "$run" --frames 0 >/dev/null 2>&1
valgrind --tool=callgrind --callgrind-out-file=frames.out "$run" --frames "$frames" --random-input 1 >/dev/null 2>&1
start=$(total_ir start.out)
all=$(total_ir frames.out)
echo "whole machine: $(( (all - start) / frames )) host instructions per emulated frame ($frames frames, start-up excluded)"

# The 68000 benchmarks: the inclusive count of main_cpu_run over all its calls (one per benchmark
# iteration; reset and machine set-up are outside it) divided by the calls, against the benchmark's
# emulated instructions per iteration. The program mix is the goal's measure; the NOP loop shows
# what an instruction costs before it does anything.
cpu68k_per_instruction() { # benchmark name, label
  valgrind --tool=callgrind --callgrind-out-file="$1.out" "$root/build/release/bench/cpu68k/cpu68k_bench" \
    --benchmark_filter="^$1\$" --benchmark_min_time=0 --benchmark_format=json > "$1.json" 2>/dev/null
  local ir calls iterations count
  ir=$(inclusive_ir "$1.out" 'main_cpu_run(int) [')
  calls=$(callgrind_annotate --threshold=100 --tree=caller "$1.out" 2>/dev/null |
    awk '/^ *[0-9,]+ .*< / { c = $0 } /\* .*main_cpu_run\(int\)/ && !found { found = c } END { print found }' |
    sed -E 's/.*\(([0-9,]+)x\).*/\1/; s/,//g')
  iterations=$(grep -m1 -o '"iterations": [0-9]*' "$1.json" | awk '{ print $2 }')
  count=$(grep -m1 -o '"emulated_instructions": [0-9.e+]*' "$1.json" | awk '{ print $2 }')
  if [ "$calls" != "$iterations" ]; then
    echo "callgrind.sh: main_cpu_run ran $calls times for $iterations iterations of $1" >&2
    exit 1
  fi
  awk -v ir="$ir" -v c="$calls" -v n="$count" -v label="$2" \
    'BEGIN { printf "68000 core, %s: %.1f host instructions per emulated instruction (%d slices of %d instructions)\n", label, ir / c / n, c, n }'
}
cpu68k_per_instruction BM_MainCpuProgramMix "program mix"
cpu68k_per_instruction BM_MainCpuNopLoop "NOP loop"

# The Z80 program mix: every instruction sound_cpu_run ran (the benchmark counts them all, its
# checking pass included) against the inclusive count of all its calls.
valgrind --tool=callgrind --callgrind-out-file=cpuz80.out "$root/build/release/bench/cpuz80/cpuz80_bench" \
  --benchmark_min_time=0 --benchmark_format=json > cpuz80.json 2>/dev/null
ir=$(inclusive_ir cpuz80.out 'sound_cpu_run(int) [')
count=$(grep -m1 -o '"emulated_instructions": [0-9.e+]*' cpuz80.json | awk '{ print $2 }')
awk -v ir="$ir" -v n="$count" \
  'BEGIN { printf "Z80 core: %.1f host instructions per emulated instruction (%d instructions)\n", ir / n, n }'
