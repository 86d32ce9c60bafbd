#!/usr/bin/env bash
# with-wine.sh PREFIX COMMAND...: runs COMMAND with PREFIX as the Wine prefix (created on first
# use) and one wineserver kept for the whole command, shut down afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Every Wine process of the command without address-space randomization: Debian's Wine 8 has no
# preloader, and its 64-bit loader lies where the kernel may start the loader's heap over an
# address Wine must map, so that about one start in ten thousand ends with 1 before the program
# runs. The tests, the demo and the screenshots must not fail at random any more than the
# benchmark.
if [[ "${WINE_FIXED_LAYOUT:-}" != 1 ]]; then
  WINE_FIXED_LAYOUT=1 exec setarch "$(uname -m)" -R "$0" "$@"
fi
source "$here/wine-env.sh"

prefix=$(realpath -m "$1")
shift
wine_prefix "$prefix"
wineserver_start
trap wineserver_stop EXIT
# Start the prefix's services now, with nowhere to write: started later by a program, they would
# inherit its output pipe and hold it open for as long as the server runs.
wine_run 120 wineboot >/dev/null 2>&1 </dev/null
"$@"
