#!/bin/sh
# Runs a11y_test.py against the real program as a screen reader would meet it: a virtual X
# display, a private D-Bus session, and on it the accessibility bus, whose registry it starts
# on first use. Usage: a11y_test.sh ZIFWANDLER [SCENARIO...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${ZIF_A11Y_INNER:-}" ]; then
    # The client library is Debian's, for Debian's interpreter, whatever else is on the PATH.
    missing=
    for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher xdotool xclip \
        /usr/bin/python3; do
        command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
    done
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing="$missing python3-pyatspi"
    if [ -n "$missing" ]; then
        echo "a11y test: missing$missing (scripts/install-deps test installs them)" >&2
        [ -n "${CI:-}" ] && exit 1
        echo "a11y test: SKIPPED" >&2
        exit 77
    fi
    runtime=$(mktemp -d)
    trap 'rm -rf "$runtime"' EXIT
    status=0
    env -u AT_SPI_BUS_ADDRESS -u DBUS_SESSION_BUS_ADDRESS ZIF_A11Y_INNER=1 \
        XDG_RUNTIME_DIR="$runtime" \
        "$here/../run-in-xvfb.sh" "-screen 0 1024x768x24 -dpi 96" \
        dbus-run-session -- "$0" "$@" </dev/null || status=$?
    exit "$status"
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher=$!
status=0
QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 /usr/bin/python3 "$here/a11y_test.py" "$@" ||
    status=$?
kill "$launcher" 2>/dev/null || true
exit "$status"
