#!/usr/bin/env bash
# make screenshot: opens Courierfix on the demo handset under a virtual display the size of a
# handset screen and saves what it shows, step by step, as PNGs in build/screenshots.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"

if [[ "${SCREENSHOT_INSIDE:-}" != 1 ]]; then
  SCREENSHOT_INSIDE=1 exec xvfb-run -a -s "-screen 0 240x320x24" \
    "$top/scripts/with-wine.sh" "$top/build/demo-handset" "$0"
fi

out="$top/build/screenshots"
rm -rf "$out"
mkdir -p "$out"
"$top/scripts/demo-handset.sh"

drive() { wine_run 60 "$top/build/bin/dialog_driver.exe" "$@"; }
# The whole screen, once the program has painted what the last step changed.
capture() {
  sleep 1
  # import, not xwd -root: xwd leaves windows of another visual black.
  import -window root "$out/$1.png"
  echo "build/screenshots/$1.png"
}

cd "$WINEPREFIX/drive_c/Program Files/Courierfix"
wine_run 300 courierfix.exe &
program=$!
drive wait
capture server
drive tab 1
capture smtp-auth
drive tab 0
drive options
capture options-menu
drive escape
drive about
capture about
drive close-about
drive quit
wait "$program"
