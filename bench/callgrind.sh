#!/usr/bin/env bash
# Host instructions per emulated frame of the whole machine (the built-in game, sound on), and per
# emulated 68000 instruction (the core's program-mix benchmark), counted by callgrind.
# Counts, unlike times, repeat exactly for the same binary and input.
#   bash bench/callgrind.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
frames="${1:-300}"
cmake --build --preset release --target qzb-run cpu68k_bench >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

total_ir() { callgrind_annotate "$1" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }'; }
inclusive_ir() { # file, function name
  callgrind_annotate --inclusive=yes "$1" 2>/dev/null | awk -v f="$2" 'index($0, f) { gsub(",", "", $1); print $1; exit }'
}

cd "$work"
run="$root/build/release/tools/qzb_run/qzb-run"
valgrind --tool=callgrind --callgrind-out-file=start.out "$run" --frames 0 >/dev/null 2>&1
valgrind --tool=callgrind --callgrind-out-file=frames.out "$run" --frames "$frames" --random-input 1 >/dev/null 2>&1
start=$(total_ir start.out)
all=$(total_ir frames.out)
echo "whole machine: $(( (all - start) / frames )) host instructions per emulated frame ($frames frames, start-up excluded)"

# One iteration of the 68000 program mix: its counter says how many instructions it emulated.
valgrind --tool=callgrind --callgrind-out-file=cpu68k.out "$root/build/release/bench/cpu68k/cpu68k_bench" \
  --benchmark_min_time=0 --benchmark_format=json > cpu68k.json 2>/dev/null
ir=$(inclusive_ir cpu68k.out main_cpu_run)
count=$(grep -o '"emulated_instructions": [0-9.e+]*' cpu68k.json | head -1 | awk '{ print $2 }')
awk -v ir="$ir" -v n="$count" 'BEGIN { printf "68000 core: %.1f host instructions per emulated instruction\n", ir / n }'
