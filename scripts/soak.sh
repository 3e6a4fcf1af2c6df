#!/usr/bin/env bash
# A long run of the built-in game with random play in the sanitizer build: one hour of emulated
# time by default. Fails on a crash or a sanitizer report, and reports the longest stretch of
# frames with an unchanged picture (a stuck machine shows one that never ends).
#   bash scripts/soak.sh [FRAMES] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
frames="${1:-216000}"
seed="${2:-1}"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize --target qzb-run
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
log="$work/soak.log"
start=$(date +%s)
status=0
(cd "$work" && "$OLDPWD/build/sanitize/tools/qzb_run/qzb-run" --frames "$frames" --random-input "$seed" \
   --hash-every-frame --bench > "$log" 2> "$work/stderr.log") || status=$?
end=$(date +%s)
awk '/^frame / { if ($4 == last) { run++ } else { run = 1; last = $4 } if (run > longest) longest = run; n++ }
     END { printf "frames run: %d\nlongest stretch of an unchanged picture: %d frames\n", n, longest }' "$log"
grep -E 'frames per second|blocks' "$log" || true
reports=$(grep -cE 'ERROR: AddressSanitizer|runtime error|ERROR: LeakSanitizer' "$work/stderr.log" || true)
echo "sanitizer reports: $reports"
echo "exit status: $status, wall time: $((end - start)) s"
[ "$status" -eq 0 ] && [ "$reports" -eq 0 ]
