#!/usr/bin/env bash
# Builds QZB and plays the built-in game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target qzb
echo "Starting QZB (this build runs on the headless back end: there is no window yet)."
exec ./build/release/qzb
