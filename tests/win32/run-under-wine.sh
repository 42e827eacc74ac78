#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of its own, made on first use and then reused.
# Usage: run-under-wine.sh <prefix folder> <program.exe> [arguments...]
#        run-under-wine.sh <prefix folder> --stop   (ends the prefix's Wine server, if any)
# Without a display the program gets a virtual X server of its own. WINE picks the loader
# (default: wine64 for a 64-bit program, otherwise wine, which takes the 32-bit loader where
# 32-bit Wine is installed).
set -euo pipefail
prefix="$1"
shift
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ "${1:-}" = --stop ]; then
    wineserver -k 2>/dev/null || true
    exit 0
fi
wine="${WINE:-}"
if [ -z "$wine" ]; then
    # The PE header's machine field: 8664 is x86-64. Its own loader spares a 64-bit program
    # the 32-bit one, which would only hand it over (and may need emulation to run at all).
    header="$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')"
    machine="$(od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ')"
    wine=wine
    [[ "$machine" == 8664 && -x /usr/lib/wine/wine64 ]] && wine=/usr/lib/wine/wine64
fi

if [ -z "${DISPLAY:-}" ]; then
    # One program at a time on the prefix: each has a display of its own, and the Wine server,
    # which all of them share, is stopped after each, which would end any other's program.
    mkdir -p "$(dirname "$prefix")"
    exec 8>"$prefix.display.lock"
    flock 8
    status=0
    "$(dirname "$0")/../run-in-xvfb.sh" "-screen 0 1024x768x24" "$0" "$prefix" "$@" 8>&- ||
        status=$?
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
    # A persistent server spares the next programs Wine's start-up. Neither it nor Wine's own
    # processes (services, devices, the desktop), which the first program it serves starts and
    # which live as long as the server, may hold the caller's output: ctest waits for every
    # writer of a test's output to end. So the server's first program is a silent one. The
    # server refuses to start, with status 2, while another one serves this prefix.
    status=0
    wineserver -p30 </dev/null >/dev/null 2>&1 9>&- || status=$?
    if [ "$status" -eq 0 ]; then
        # Only a head start: should it fail (a server that was just ending, say), the program
        # below starts Wine's processes itself and reports any real failure.
        "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    elif [ "$status" -ne 2 ]; then
        echo "wineserver did not start (status $status)" >&2
        exit "$status"
    fi
) 9>"$prefix.lock"

exec "$wine" "$@"
