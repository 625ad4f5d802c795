#!/usr/bin/env bash
# The module DLL's export and import tables, read with objdump.
#   check_pe.sh exports OBJDUMP MODULE_DLL FORMAT
#     exactly ovcInit, ovcExit and GetModuleVersion are exported, and the file
#     is of FORMAT (pei-i386 for the 32-bit module, pei-x86-64 for the 64-bit one)
#   check_pe.sh imports OBJDUMP MODULE_DLL HOST_DLL
#     only KERNEL32.dll, msvcrt.dll and the host DLL are imported, and every
#     entry taken from the host is among the host DLL's exports
set -euo pipefail

mode=$1 objdump=$2 module=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$module" ] || fail "no module at $module"

exports_of() {
  "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort
}

imported_dlls() {
  "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'
}

# The names one DLL imports from another, by name (not by ordinal).
imports_from() {
  "$objdump" -p "$1" | awk -v dll="$2" '
    /^[[:space:]]*DLL Name: / { inside = (tolower($3) == tolower(dll)); next }
    inside && /^[[:space:]]*$/ { inside = 0 }
    inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }' | sort -u
}

case $mode in
  exports)
    format=$4
    actual_format=$("$objdump" -p "$module" | sed -n 's/.*file format //p' | head -n1)
    [ "$actual_format" = "$format" ] || fail "$module is $actual_format, not $format"
    if [ "$format" = pei-i386 ]; then
      # Read whole first: grep -q stopping early would fail the pipe.
      headers=$("$objdump" -p "$module")
      file_header=$("$objdump" -f "$module")
      grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" || fail "$module is not PE32"
      grep -q 'architecture: i386,' <<<"$file_header" || fail "$module is not for machine i386"
      actual_format="$actual_format, PE32, machine i386"
    fi
    got=$(exports_of "$module" | tr '\n' ' ')
    want=$(printf '%s\n' GetModuleVersion ovcExit ovcInit | sort | tr '\n' ' ')
    [ "$got" = "$want" ] || fail "$module exports [$got], want exactly [$want]"
    echo "ok: $module ($actual_format) exports exactly $want"
    ;;
  imports)
    host=$4
    host_name=$(basename "$host")
    [ -f "$host" ] || fail "no host DLL at $host"
    while read -r dll; do
      case ${dll,,} in
        kernel32.dll|msvcrt.dll|"${host_name,,}") ;;
        *) fail "$module imports $dll: only KERNEL32.dll, msvcrt.dll and $host_name are allowed" ;;
      esac
    done < <(imported_dlls "$module")
    imported=$(imports_from "$module" "$host_name")
    [ -n "$imported" ] || fail "$module imports nothing from $host_name"
    missing=$(comm -23 <(echo "$imported") <(exports_of "$host"))
    [ -z "$missing" ] || fail "$module imports from $host_name what it does not export: $missing"
    echo "ok: $module imports $(imported_dlls "$module" | tr '\n' ' ')and $(echo "$imported" | wc -l) host entries, all exported"
    ;;
  *) fail "unknown mode $mode" ;;
esac
