#!/bin/sh
# Runs a command on a virtual X display of its own and returns its exit code.
# Usage: run-in-xvfb.sh "SERVER OPTIONS" COMMAND [ARGUMENT...]
# The X server picks a free display number itself and reports it once it accepts connections
# (-displayfd). xvfb-run -a picks one by looking for lock files first, so two tests started at
# the same moment could pick the same number, and one of them then found no display.
set -eu
options=$1
shift
dir=$(mktemp -d)
xvfb=
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkfifo "$dir/display"
# shellcheck disable=SC2086 # the options are words for the server
Xvfb -displayfd 3 -nolisten tcp $options 3>"$dir/display" 2>"$dir/log" &
xvfb=$!
display=
read -r display <"$dir/display" || true
if [ -z "$display" ]; then
    echo "run-in-xvfb: the X server did not start:" >&2
    cat "$dir/log" >&2
    exit 1
fi
status=0
DISPLAY=":$display" "$@" || status=$?
exit "$status"
