#!/usr/bin/env bash
# Runs the whole test suite in the test prefix, with one wineserver for the run, under a virtual
# display large enough for every form of screen a test gives the handset; the tests begin on the
# portrait handset of 240 x 320 at 96 dots per inch.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
if [[ "${TESTS_INSIDE:-}" != 1 ]]; then
  TESTS_INSIDE=1 exec xvfb-run -a -s "-screen 0 640x640x24" \
    scripts/with-wine.sh build/wine/test "$0" "$@"
fi
source scripts/wine-env.sh
wine_run 60 build/bin/handset.exe screen 240x320 --dpi 96 >/dev/null
exec ctest --test-dir build --output-on-failure --no-tests=error "$@"
