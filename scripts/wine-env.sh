# Sourced by the scripts that run Wine: one place for the loader, the quiet defaults and the
# handling of a project-local prefix and its wineserver.

# The width of the programs, ARCH: x86_64 (the default) is built in build/ and runs under wine64;
# i686, a handset's own width, is built in build-i686/ and runs under the 32-bit loader, in the
# same 64-bit prefixes.
ARCH=${ARCH:-x86_64}
case $ARCH in
x86_64) WINE=/usr/lib/wine/wine64 BUILD=build ;;
i686) WINE=/usr/lib/wine/wine BUILD=build-i686 ;;
*)
  echo "ARCH is x86_64 or i686, not $ARCH" >&2
  exit 2
  ;;
esac
export ARCH
WINE32=/usr/lib/wine/wine
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
# handset's storage card. A prefix made before it had its own fonts lacks the mark, and one made
# before the 32-bit Wine was installed lacks its 32-bit side: either is made again.
wine_prefix() {
  export WINEPREFIX=$1
  local mark="$WINEPREFIX/.handset-fonts"
  local side32="$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll"
  if [[ ! -f "$WINEPREFIX/system.reg" || ! -f "$mark" || (-x "$WINE32" && ! -f "$side32") ]]; then
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
# under it does not pay for a fresh server. The server puts itself in the background once it
# serves, so it is waited for: a program started before then starts a server of its own, which
# Debian's wrapper starts with -p0, to end as soon as no program runs, and the persistent one
# then finds it there and gives up. A server of the prefix that is already there is waited out.
wineserver_start() {
  local attempt status
  for attempt in 1 2 3; do
    status=0
    timeout 60 "$WINESERVER" --persistent >/dev/null 2>&1 || status=$?
    ((status != 0)) || return 0
    # 2: another server holds the prefix.
    timeout 60 "$WINESERVER" --wait >/dev/null 2>&1 || true
  done
  echo "wineserver_start: no persistent wineserver for $WINEPREFIX (exit status $status)" >&2
  return 1
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
