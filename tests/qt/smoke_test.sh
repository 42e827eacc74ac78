#!/bin/sh
# Starts the real program on a virtual X display at 96 dpi, finds its window by the caption,
# checks the client size, closes the window as a window manager would and expects exit code 0.
# Usage: smoke_test.sh ZIFWANDLER CLOSE_WINDOW
set -eu
if [ -z "${ZIF_SMOKE_INNER:-}" ]; then
    ZIF_SMOKE_INNER=1 exec "$(dirname "$0")/../run-in-xvfb.sh" "-screen 0 1024x768x24 -dpi 96" \
        "$0" "$@"
fi
program=$1
close_window=$2

"$program" &
pid=$!
fail() {
    echo "smoke test: $*" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
}

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^ZIF-Wandler$' | head -n 1) ||
    fail "no window captioned ZIF-Wandler appeared"
[ -n "$window" ] || fail "no window captioned ZIF-Wandler appeared"
size=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
[ "$size" = "169x57" ] || fail "client area is $size, expected 169x57"

"$close_window" "$window" || fail "could not send the close request"
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program is still running 10 s after its window was closed"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit code $status after a normal close, expected 0"
echo "smoke test: window found, closed, exit code 0"
