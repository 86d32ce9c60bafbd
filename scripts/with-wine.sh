#!/usr/bin/env bash
# with-wine.sh PREFIX COMMAND...: runs COMMAND with PREFIX as the Wine prefix (created on first
# use) and one wineserver kept for the whole command, shut down afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
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
