#!/usr/bin/env bash
# Builds QZB and plays the built-in game in a window. Without a display (no X or Wayland
# session) it runs the machine headless for a few seconds instead and leaves a picture and a
# recording of the sound to look at and listen to.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target qzb qzb-run

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/release/qzb
fi

out="$PWD/build/demo"
mkdir -p "$out"
echo "No display here: running ten seconds of the machine without a window instead."
(cd "$out" && ../release/tools/qzb_run/qzb-run --frames 600 --png picture.png --wav sound.wav --hash)
echo "The last picture is $out/picture.png and the sound is $out/sound.wav."
