#!/usr/bin/env bash
# Runs the whole test suite under a virtual display the size of a handset screen, in the test
# prefix, with one wineserver for the run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
exec xvfb-run -a -s "-screen 0 240x320x24" \
  scripts/with-wine.sh build/wine/test \
  ctest --test-dir build --output-on-failure --no-tests=error "$@"
