# Sourced by the scripts that run Wine: one place for the loader, the quiet defaults and the
# handling of a project-local prefix and its wineserver.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer windows: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
export WINEARCH=win64

# wine_prefix PATH: uses PATH as WINEPREFIX, creating it on first use.
wine_prefix() {
  export WINEPREFIX=$1
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    timeout 300 "$WINE" wineboot --init >/dev/null 2>&1
    # A handset has no window manager: windows are placed where the program puts them, and
    # hiding one does not wait for a manager that is not there.
    timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    timeout 120 "$WINESERVER" --wait
  fi
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
