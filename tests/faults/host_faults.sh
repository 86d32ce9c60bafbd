#!/usr/bin/env bash
# host_faults.sh BIN: faults that only the host can make, for the real program: a program folder
# that cannot be written (a card's write-protect switch), a disk that fills up while config is
# being written, and a config that never ends. Nothing may be lost: config stays exactly as it
# was, nothing is left beside it, the dialog says the settings were not saved, and batch repairs
# still run; what a stopped save left is finished or read, never taken for no config. Run by
# CTest in the test prefix, on the virtual display; exit code 77 when this host cannot make a
# folder read-only.
set -uo pipefail
bin=$1
source "$(dirname "$0")/../../scripts/wine-env.sh"
export HANDSET_ROOT="Software\\HandsetTests\\host-faults-$$"

failures=0
check() { # check WHAT EXPECTED ACTUAL
  if [[ "$2" == "$3" ]]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

handset() { wine_run 60 "$bin/handset.exe" "$@" | tr -d '\r'; }
driver() { wine_run 60 "$bin/dialog_driver.exe" "$@" | tr -d '\r'; }
# The value of a setting of the Work account in the handset.
setting() { handset stores | sed -n "/^\[Work\]/,/^\[/s/^  $1=//p"; }
log_lines() { sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//' "$folder/log.txt"; }
# A config in the program's own form behind a long preamble of notes: Zulu's section, then Work's.
write_config() {
  {
    printf '\xEF\xBB\xBF'
    for ((line = 0; line < $1; line++)); do
      printf '; note %d on the servers of the accounts below\r\n' "$line"
    done
    printf '[Zulu]\r\n<parm name="INSERVER" value="pop.zulu"/>\r\n'
    printf '[Work]\r\n<parm name="INSERVER" value="pop.saved"/>\r\n'
  } >"$folder/config"
  cp "$folder/config" "$work/config.before"
}
# Runs the dialog, taps Repair and quits; prints the result line.
repair_in_dialog() {
  ( cd "$folder" && "$@" ) &
  local program=$!
  driver wait >/dev/null && driver repair
  driver quit >/dev/null
  wait "$program"
}

work=$(mktemp -d)
folder="$work/Courier fix"
mkdir -p "$folder"
cp "$bin/courierfix.exe" "$folder/"
handset clear
handset add-store Zulu >/dev/null
handset add-store Work INSERVER=broken >/dev/null
trap '[[ $(id -u) == 0 ]] && chattr -i "$folder" 2>/dev/null; chmod -R u+w "$work"; rm -rf "$work";
      "$WINE" reg delete "HKCU\\$HANDSET_ROOT" /f >/dev/null 2>&1' EXIT

echo "== The disk fills up while config is being written"
write_config 4000
( trap '' XFSZ; ulimit -f 64; repair_in_dialog "$WINE" courierfix.exe ) >"$work/result"
check "the dialog says the settings were not saved" \
  "Account repaired, but settings not saved" "$(cat "$work/result")"
check "config is exactly as it was" same "$(cmp -s "$work/config.before" "$folder/config" && echo same)"
check "nothing is left beside it" "config courierfix.exe log.txt" "$(ls "$folder" | xargs)"
check "the account was repaired" pop.saved "$(setting INSERVER)"

echo "== A config that never ends"
rm -f "$folder/config"
ln -s /dev/zero "$folder/config"
started=$SECONDS
(cd "$folder" && wine_run 60 courierfix.exe --autorepairall)
check "the batch run fails" 1 "$?"
took=$((SECONDS - started))
check "it stops reading at once" yes "$([[ $took -lt 20 ]] && echo yes)"
check "the batch run logged no repair" "Command line: [--autorepairall]|Auto repair All|Done" \
  "$(log_lines | paste -sd'|')"
repair_in_dialog "$WINE" courierfix.exe >"$work/result"
check "the dialog refuses to save over it" \
  "Account repaired, but settings not saved" "$(cat "$work/result")"
check "config is still what it was" /dev/zero "$(readlink "$folder/config")"
rm -f "$folder/config"

# The card's write-protect switch: the folder's entries can be neither made, renamed nor removed.
protect() {
  if [[ $(id -u) == 0 ]]; then chattr +i "$folder" 2>/dev/null; else chmod a-w "$folder"; fi
  if touch "$folder/probe" 2>/dev/null; then
    rm -f "$folder/probe"
    echo "this host cannot make a folder read-only; the rest is skipped"
    exit $((failures > 0 ? 1 : 77))
  fi
}
unprotect() {
  if [[ $(id -u) == 0 ]]; then chattr -i "$folder" 2>/dev/null; else chmod u+w "$folder"; fi
}
# What a save stopped after it set config aside leaves: the old content and the new one beside
# the missing config.
stopped_save() {
  rm -f "$folder/config" "$folder"/config.*
  write_config 10
  mv "$folder/config" "$folder/config.5EED0001.old"
  sed 's/pop\.saved/pop.new/' "$folder/config.5EED0001.old" >"$folder/config.5EED0001.new"
}

echo "== A stopped save's new content, on a card whose write-protect switch is on"
stopped_save
handset set Work INSERVER=broken >/dev/null
protect
(cd "$folder" && wine_run 60 courierfix.exe --autorepairall)
check "the batch run fails" 1 "$?"
check "the batch run logged no repair" "Command line: [--autorepairall]|Auto repair All|Done" \
  "$(log_lines | paste -sd'|')"
check "the account is not repaired from nothing" broken "$(setting INSERVER)"
repair_in_dialog "$WINE" courierfix.exe >"$work/result"
check "the dialog says the settings were not saved" \
  "Account repaired, but settings not saved" "$(cat "$work/result")"
check "both copies are still there, and no config" "config.5EED0001.new config.5EED0001.old" \
  "$(ls "$folder" | grep '^config' | xargs)"
unprotect
handset set Work INSERVER=broken >/dev/null
(cd "$folder" && wine_run 60 courierfix.exe --autorepairall)
check "switched off, the next batch run finishes the save and succeeds" 0 "$?"
check "and applies what it saved" pop.new "$(setting INSERVER)"

echo "== A stopped save's set-aside copy alone, on a write-protected card"
stopped_save
rm -f "$folder/config.5EED0001.new"
handset set Work INSERVER=broken >/dev/null
protect
(cd "$folder" && wine_run 60 courierfix.exe --autorepairall)
check "the batch run reads it where it lies, and succeeds" 0 "$?"
check "the account is repaired from it" pop.saved "$(setting INSERVER)"
check "it is kept" "config.5EED0001.old" "$(ls "$folder" | grep '^config' | xargs)"
unprotect
rm -f "$folder"/config.*

echo "== The program folder cannot be written"
write_config 10
handset set Work INSERVER=broken >/dev/null
protect
repair_in_dialog "$WINE" courierfix.exe >"$work/result"
check "the dialog says the settings were not saved" \
  "Account repaired, but settings not saved" "$(cat "$work/result")"
check "config is exactly as it was" same "$(cmp -s "$work/config.before" "$folder/config" && echo same)"
check "nothing is left beside it" "config courierfix.exe log.txt" "$(ls "$folder" | xargs)"
check "the account was repaired" pop.saved "$(setting INSERVER)"

handset set Work INSERVER=broken >/dev/null
(cd "$folder" && wine_run 60 courierfix.exe --autorepairall)
check "the batch run succeeds" 0 "$?"
check "the batch run repaired the account" pop.saved "$(setting INSERVER)"
check "the batch run logged it" "Command line: [--autorepairall]|Auto repair All|repairing [Zulu]: OK.|repairing [Work]: OK.|Done" \
  "$(log_lines | paste -sd'|')"
check "config is still exactly as it was" same "$(cmp -s "$work/config.before" "$folder/config" && echo same)"

exit $((failures > 0))
