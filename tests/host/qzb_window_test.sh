#!/bin/bash
# The real program in a window: started under an X server (xvfb-run gives it one), it opens the
# window "QZB", runs until the window system asks it to close, then writes its settings file and
# exits cleanly. Without any display it says so and exits non-zero.
# Usage: qzb_window_test.sh <qzb executable>
set -u
qzb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

message=$(env -u DISPLAY -u WAYLAND_DISPLAY "$qzb" 2>&1 >/dev/null)
status=$?
if [ $status -eq 0 ] || [[ "$message" != *"no display"* ]]; then
  echo "without a display: exit status $status, message '$message'"
  exit 1
fi

if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run under xvfb-run for the window part"
  exit 0
fi
SDL_AUDIODRIVER=dummy "$qzb" &
pid=$!
if ! window=$(timeout 20 xdotool search --sync --name '^QZB$' | head -1) || [ -z "$window" ]; then
  echo "the window QZB did not appear"
  kill $pid 2>/dev/null
  exit 1
fi
sleep 2
if ! kill -0 $pid 2>/dev/null; then
  echo "qzb stopped on its own"
  exit 1
fi
kill -TERM $pid # the window system's quit request
wait $pid
status=$?
if [ $status -ne 0 ]; then
  echo "qzb exit status $status after the quit request"
  exit 1
fi
size=$(stat -c %s qzb.ini 2>/dev/null || echo 0)
if [ "$size" -ne 36 ]; then
  echo "qzb.ini has $size bytes, expected 36"
  exit 1
fi
echo "qzb opened its window, ran and closed cleanly"
