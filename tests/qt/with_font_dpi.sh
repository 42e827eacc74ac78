#!/bin/sh
# Sets the X display's font resolution (Xft.dpi), then runs the command.
# Usage: with_font_dpi.sh DPI COMMAND [ARGUMENT...]
set -eu
echo "Xft.dpi: $1" | xrdb -merge
shift
exec "$@"
