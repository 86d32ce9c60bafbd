#!/usr/bin/env bash
# Runs the whole test suite of the width ARCH (see wine-env.sh) in that width's test prefix, with
# one wineserver for the run, under a virtual display large enough for every form of screen a test
# gives the handset; the tests begin on the portrait handset of 240 x 320 at 96 dots per inch.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
source scripts/wine-env.sh
if [[ "${TESTS_INSIDE:-}" != 1 ]]; then
  echo "Running the test suite of the $ARCH build ($BUILD) ..."
  TESTS_INSIDE=1 exec xvfb-run -a -s "-screen 0 640x640x24" \
    scripts/with-wine.sh "$BUILD/wine/test" "$0" "$@"
fi
wine_run 60 "$BUILD/bin/handset.exe" screen 240x320 --dpi 96 >/dev/null
exec ctest --test-dir "$BUILD" --output-on-failure --no-tests=error "$@"
