#!/usr/bin/env bash
# check_handset_functions.sh NM COMPILER LIST OBJECT...: every platform function that the
# program's own objects and libraries call must be one that a Windows Mobile 5 handset offers,
# that is, be on LIST. What the objects define themselves, and what the C and C++ runtime
# libraries define, is not looked at. Prints each function that is not on the list and exits 1;
# prints how many were checked and exits 0 otherwise.
set -euo pipefail
source "$(dirname "$0")/handset_lists.sh"
nm=$1 compiler=$2 list=$3
shift 3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Symbols as the linker resolves them, named as in the source: a dllimport reference __imp_X is a
# call to X, and a 32-bit target puts its label prefix "_" before every name and a stdcall
# function's argument bytes after it (_CallWindowProcW@20 is CallWindowProcW).
prefix=$(echo __USER_LABEL_PREFIX__ | "$compiler" -E -P -x c - | tr -d '[:space:]')
symbols() { # symbols nm-options files...: one name per line
  local options=$1
  shift
  "$nm" $options "$@" 2>/dev/null | awk 'NF >= 2 && $NF !~ /:$/ { print $NF }' |
    sed -E "s/^__imp_//; s/^$prefix//; s/@[0-9]+\$//" | sort -u
}

symbols -u "$@" >"$work/called"
symbols --defined-only "$@" >"$work/own"
runtime=()
for library in libmsvcrt.a libstdc++.a libgcc.a libgcc_eh.a libmingwex.a libmingw32.a libmoldname.a \
  libwinpthread.a; do
  path=$("$compiler" -print-file-name="$library")
  [[ -f "$path" ]] && runtime+=("$path")
done
symbols --defined-only "${runtime[@]}" >"$work/runtime"

comm -23 "$work/called" "$work/own" | comm -23 - "$work/runtime" >"$work/platform"
allowed "$list" >"$work/allowed"
require_listed "$work/platform" "$work/allowed" "$list" "platform functions called"
