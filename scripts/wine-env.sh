# Sourced by the scripts that run Wine: one place for the loader, the quiet defaults and the
# handling of a project-local prefix and its wineserver.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer windows: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
export WINEARCH=win64
# A handset draws with its own fonts: no host font, substitution or rendering rule may change a
# pixel, so fontconfig sees an empty configuration and Wine finds only the prefix's fonts.
export FONTCONFIG_FILE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/fonts.conf"
# Wine's own fonts, Tahoma among them, which every prefix gets a copy of.
WINE_FONTS=/usr/share/wine/fonts

# wine_prefix PATH: uses PATH as WINEPREFIX, creating it on first use, with the folder of the
# handset's storage card. A prefix made before it had its own fonts lacks the mark and is made
# again.
wine_prefix() {
  export WINEPREFIX=$1
  local mark="$WINEPREFIX/.handset-fonts"
  if [[ ! -f "$WINEPREFIX/system.reg" || ! -f "$mark" ]]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    timeout 300 "$WINE" wineboot --init >/dev/null 2>&1
    # A handset has no window manager: windows are placed where the program puts them, and
    # hiding one does not wait for a manager that is not there.
    timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    timeout 120 "$WINESERVER" --wait
    # Debian's Wine looks for these in a folder it does not have; in the prefix it finds them.
    cp "$WINE_FONTS"/* "$WINEPREFIX/drive_c/windows/Fonts/"
    touch "$mark"
  fi
  # The handset's storage card, a volume where a file cannot be replaced in one step.
  mkdir -p "$WINEPREFIX/drive_c/Storage Card"
}

# wineserver_start: keeps one wineserver running for the prefix, so that each program started
# under it does not pay for a fresh server.
wineserver_start() {
  "$WINESERVER" --persistent >/dev/null 2>&1 &
}

# wineserver_stop: ends the prefix's wineserver and every process still running under it.
wineserver_stop() {
  "$WINESERVER" --kill >/dev/null 2>&1 || true
  timeout 30 "$WINESERVER" --wait >/dev/null 2>&1 || true
}

# wine_run SECONDS PROGRAM ARGS...: runs a Windows program under a time limit.
wine_run() {
  local limit=$1
  shift
  timeout --kill-after=10 "$limit" "$WINE" "$@"
}
