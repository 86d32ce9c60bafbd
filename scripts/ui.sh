#!/usr/bin/env bash
# make ui: opens Courierfix on the demo handset, on the current display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"

if [[ -z "${DISPLAY:-}" ]]; then
  echo "make ui needs a display (DISPLAY is not set); make screenshot needs none." >&2
  exit 2
fi
if [[ "${UI_INSIDE:-}" != 1 ]]; then
  UI_INSIDE=1 exec "$top/scripts/with-wine.sh" "$top/$BUILD/demo-handset" "$0"
fi

"$top/scripts/demo-handset.sh"
# The display is the desktop's: the handset gets the portrait screen of 240 x 320 at 96 DPI.
wine_run 60 "$top/$BUILD/bin/handset.exe" screen 240x320 --dpi 96
cd "$WINEPREFIX/drive_c/Program Files/Courierfix"
echo "Courierfix is open on $DISPLAY; Quit or Done ends it."
"$WINE" courierfix.exe
