#!/usr/bin/env bash
# Builds QZB and runs every test: the Release build (slow tests included) and the
# AddressSanitizer + UndefinedBehaviorSanitizer build (slow tests left out there).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset release
cmake --build --preset release
ctest --preset release --output-on-failure -j2

cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize --output-on-failure -j2 -LE slow

# A short, repeatable run of every fuzz target, under a minute (scripts/fuzz.sh runs them as long
# as asked).
QZB_FUZZ_RUNS=20000 bash scripts/fuzz.sh
