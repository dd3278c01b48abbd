#!/usr/bin/env bash
# Starts the program from the repo root (which holds bmp_cube/ and map/).
# With no display it runs on a virtual X server for a few seconds, saves a screenshot, ends the
# program with Escape and prints the screenshot's path and the exit code.
set -uo pipefail
binary=$(realpath "${1:-build/dud}")
cd "$(dirname "$0")/.."

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$binary"
fi

shot=${DUD_SCREENSHOT:-$PWD/build/screenshot.png}
seconds=${DUD_RUN_SECONDS:-4}
mkdir -p "$(dirname "$shot")"

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 20 number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
trap 'kill $xvfb_pid 2>/dev/null' EXIT

"$binary" &
dud_pid=$!

window=""
for _ in $(seq 1 200); do
  window=$(xdotool search --onlyvisible --name '^DUD$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "the program opened no window" >&2
  kill $dud_pid 2>/dev/null
  wait $dud_pid
  exit 1
fi

sleep "$seconds"
import -window "$window" "$shot"
xdotool windowfocus "$window" 2>/dev/null; xdotool key Escape
wait $dud_pid
code=$?
echo "screenshot: $shot"
echo "exit code: $code"
exit $code
