#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of its own, made on first use and then reused.
# Usage: run-under-wine.sh <prefix folder> <program.exe> [arguments...]
# Without a display the program gets a virtual X server (xvfb-run). WINE picks the loader
# (default: wine, which takes wine64 where 32-bit Wine is missing).
set -euo pipefail
prefix="$1"
shift
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine="${WINE:-wine}"

if [ -z "${DISPLAY:-}" ]; then
    status=0
    xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$prefix" "$@" || status=$?
    # That server's display is gone: don't leave a Wine server behind that still uses it.
    wineserver -k 2>/dev/null || true
    exit "$status"
fi

mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.ready" ]; then
        echo "Creating the Wine prefix $prefix" >&2
        "$wine" wineboot -i >/dev/null 2>&1
        # Without a window manager Wine waits about two seconds for one on every window close.
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$prefix/.ready"
    fi
) 9>"$prefix.lock"

# A persistent server spares the next program of this run Wine's start-up.
wineserver -p30
exec "$wine" "$@"
