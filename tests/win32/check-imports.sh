#!/usr/bin/env bash
# Fails on any function that a program imports and a list of exports lacks, naming each.
# Usage: check-imports.sh <objdump> <program.exe> <list: "dll function" lines, # comments>
set -euo pipefail
objdump="$1"
program="$2"
list="$3"

# objdump -p prints each imported DLL's name, then one "address hint name" row per function.
imports="$("$objdump" -p "$program" | awk '
    /^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
    /^The |^PE File/ { dll = "" }
    dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }' | sort -u)"
if [ -z "$imports" ]; then
    echo "no imported functions found in $program" >&2
    exit 1
fi
known="$(sed -e 's/#.*//' "$list" | awk 'NF == 2 { print tolower($1), $2 }' | sort -u)"
missing="$(comm -23 <(echo "$imports") <(echo "$known"))"
echo "$(wc -l <<<"$imports") imported functions checked against $(basename "$list")"
if [ -n "$missing" ]; then
    echo "Imported, but not in the list (Windows XP SP3 may not export them):" >&2
    echo "$missing" >&2
    exit 1
fi
