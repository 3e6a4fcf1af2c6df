#!/usr/bin/env bash
# A long run of the built-in game with random play: one hour of emulated time by default, in the
# Release build (PRESET=release) or the sanitizer build (PRESET=sanitize). Fails on a crash, a
# sanitizer report, a halted main CPU, or a picture that stops changing for STUCK_FRAMES frames
# (default one minute) while the random input goes on. Reports the audio stream's counters.
#   bash scripts/soak.sh [FRAMES] [SEED] [PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
frames="${1:-216000}"
seed="${2:-1}"
preset="${3:-release}"
stuck_frames="${STUCK_FRAMES:-3600}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target qzb-run -- -j2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
log="$work/soak.log"
start=$(date +%s)
status=0
(cd "$work" && "$root/build/$preset/tools/qzb_run/qzb-run" --frames "$frames" --random-input "$seed" \
   --hash-every-frame --bench > "$log" 2> "$work/stderr.log") || status=$?
end=$(date +%s)
longest=$(awk '/^frame / { if ($4 == last) { run++ } else { run = 1; last = $4 } if (run > longest) longest = run; n++ }
     END { printf "%d", longest }' "$log")
ran=$(grep -c '^frame ' "$log" || true)
echo "preset: $preset, seed: $seed"
echo "frames run: $ran of $frames"
echo "longest stretch of an unchanged picture: $longest frames"
grep -E 'frames per second|audio blocks|main CPU' "$log" || true
reports=$(grep -cE 'ERROR: AddressSanitizer|runtime error|ERROR: LeakSanitizer' "$work/stderr.log" || true)
echo "sanitizer reports: $reports"
echo "exit status: $status, wall time: $((end - start)) s"
if [ "$reports" -ne 0 ] || [ "$status" -ne 0 ]; then head -20 "$work/stderr.log"; fi
[ "$status" -eq 0 ] && [ "$reports" -eq 0 ] && [ "$ran" -eq "$frames" ] && [ "$longest" -lt "$stuck_frames" ] &&
  ! grep -q 'main CPU halted' "$log"
