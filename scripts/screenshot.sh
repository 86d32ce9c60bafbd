#!/usr/bin/env bash
# make screenshot: opens Courierfix on the demo handset under a virtual display of each form of
# screen a handset has, and saves what it shows, step by step, as PNGs in build/screenshots
# (build-i686/screenshots for ARCH=i686), one folder per form. The handset's screen is the
# display's; the DPI is the form's.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"

# name, display, dots per inch
forms=("portrait 240x320 96" "landscape 320x240 96" "square 240x240 96" "vga 480x640 192"
  "vga-landscape 640x480 192")

if [[ "${SCREENSHOT_INSIDE:-}" != 1 ]]; then
  rm -rf "$top/$BUILD/screenshots"
  for form in "${forms[@]}"; do
    read -r name display dpi <<<"$form"
    SCREENSHOT_INSIDE=1 SCREENSHOT_FORM=$name SCREENSHOT_DPI=$dpi xvfb-run -a \
      -s "-screen 0 ${display}x24" "$top/scripts/with-wine.sh" "$top/$BUILD/demo-handset" "$0"
  done
  exit 0
fi

out="$top/$BUILD/screenshots/$SCREENSHOT_FORM"
mkdir -p "$out"
"$top/scripts/demo-handset.sh"
wine_run 60 "$top/$BUILD/bin/handset.exe" screen display --dpi "$SCREENSHOT_DPI"

drive() { wine_run 60 "$top/$BUILD/bin/dialog_driver.exe" "$@"; }
# The whole screen, once the program has painted what the last step changed.
capture() {
  sleep 1
  # import, not xwd -root: xwd leaves windows of another visual black.
  import -window root "$out/$1.png"
  echo "$BUILD/screenshots/$SCREENSHOT_FORM/$1.png"
}

cd "$WINEPREFIX/drive_c/Program Files/Courierfix"
wine_run 300 courierfix.exe &
program=$!
drive wait
capture server
drive tab 1
capture smtp-auth
drive tab 0
drive repair >/dev/null
capture repaired
drive options
capture options-menu
drive escape
drive about
capture about
drive close-about
drive quit
wait "$program"
