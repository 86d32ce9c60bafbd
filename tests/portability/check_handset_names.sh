#!/usr/bin/env bash
# check_handset_names.sh COMPILER NM DEFINES INCLUDE NAMES FUNCTIONS OBJECT... -- SOURCE...: every
# type, macro, structure and interface member of the platform's headers that the program's own
# sources name must be one that a Windows Mobile 5 handset's headers declare, that is, be on NAMES
# (functions are on FUNCTIONS). Looked at are the names that begin with a capital letter, as the
# platform spells these; a name the program defines itself (its functions, classes, enumerators
# and macros) is left out. DEFINES are the program's "-DNAME" options, INCLUDE handset/include.
# Prints each name that is not on the list and exits 1; prints how many were checked otherwise.
set -euo pipefail
source "$(dirname "$0")/handset_lists.sh"
compiler=$1 nm=$2 defines=$3 include=$4 names=$5 functions=$6
shift 6
objects=()
while [[ $1 != -- ]]; do
  objects+=("$1")
  shift
done
shift
sources=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The names that begin with a capital letter, once each; grep finding none is no error.
capitalized() { { grep -oE '\b[A-Z][A-Za-z0-9_]*\b' || true; } | sort -u; }

# The sources without comments, string and character literals.
for source in "${sources[@]}"; do
  "$compiler" -w -x c++ -fpreprocessed -dD -E -P "$source"
done | sed -E "s/L?(\"([^\"\\\\]|\\\\.)*\"|'([^'\\\\]|\\\\.)*')//g" >"$work/text"
capitalized <"$work/text" >"$work/named"

# What the platform's headers that the program includes declare and define.
grep -hoE '^#include <[A-Za-z0-9_/]+\.h>' "${sources[@]}" | sort -u >"$work/headers.cpp"
read -ra options <<<"$defines"
"$compiler" -std=c++20 "${options[@]}" -I"$include" -E -P "$work/headers.cpp" | capitalized \
  >"$work/platform"
"$compiler" -std=c++20 "${options[@]}" -I"$include" -E -dM "$work/headers.cpp" |
  awk '{ sub(/\(.*/, "", $2); print $2 }' | capitalized >>"$work/platform"
sort -u -o "$work/platform" "$work/platform"

# What the program defines: the symbols of its objects (a 32-bit stdcall function's without the
# "@N" of its argument bytes), and the classes, enumerations, enumerators, aliases, macros and
# functions defined on one line of its sources.
{
  "$nm" -C --defined-only "${objects[@]}" 2>/dev/null | awk 'NF >= 3 { $1 = $2 = ""; print }' |
    sed -E 's/\(.*//; s/@[0-9]+$//; :a; s/<[^<>]*>//g; ta'
  grep -oE '\b(class|struct|enum|typename|using|namespace|#define) +[A-Za-z_][A-Za-z0-9_]*' \
    "$work/text" || true
  grep -oE 'enum class [A-Za-z0-9_]+ *\{[^}]*\}' "$work/text" || true
  { grep -oE '^ *[A-Za-z_][A-Za-z0-9_:<>,*& ]* +[A-Z][A-Za-z0-9_]*\([^;{}]*\)[ a-z]*\{' \
    "$work/text" || true; } | sed -E 's/\(.*//; s/.* //'
} | capitalized >"$work/own"

comm -12 "$work/named" "$work/platform" | comm -23 - "$work/own" >"$work/used"
allowed "$names" "$functions" >"$work/allowed"
require_listed "$work/used" "$work/allowed" "$names" "platform names used"
