#!/usr/bin/env bash
# Fails on any function that a program imports and a list of exports lacks, naming each, and
# on a subsystem version above Windows XP's 5.1, which XP's loader refuses as well.
# Usage: check-imports.sh <objdump> <program.exe> <list: "dll function" lines, # comments>
set -euo pipefail
objdump="$1"
program="$2"
list="$3"

header="$("$objdump" -p "$program")"
subsystem="$(awk '/^MajorSubsystemVersion/ {major = $2} /^MinorSubsystemVersion/ {minor = $2}
    END {print major + 0, minor + 0}' <<<"$header")"
read -r major minor <<<"$subsystem"
echo "subsystem version $major.$minor"
if [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 1 ]; }; then
    echo "Windows XP refuses subsystem version $major.$minor" >&2
    exit 1
fi

# objdump -p prints each imported DLL's name, then one "address hint name" row per function.
imports="$(awk '
    /^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
    /^The |^PE File/ { dll = "" }
    dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }' \
    <<<"$header" | sort -u)"
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
