#!/usr/bin/env bash
# make demo: a fresh demo handset whose saved accounts lose their settings, then a soft reset
# that runs Courierfix from its Startup shortcut, and what that changed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"

if [[ -z "${WINEPREFIX:-}" || "${DEMO_INSIDE:-}" != 1 ]]; then
  rm -rf "$top/$BUILD/demo-handset"
  echo "Making a fresh demo handset in $BUILD/demo-handset ..."
  DEMO_INSIDE=1 exec "$top/scripts/with-wine.sh" "$top/$BUILD/demo-handset" "$0"
fi

handset() { wine_run 60 "$top/$BUILD/bin/handset.exe" "$@"; }
program_folder="$WINEPREFIX/drive_c/Program Files/Courierfix"
text_file() { sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//' "$1" | sed 's/^/    /'; }

"$top/scripts/demo-handset.sh"
echo
echo "config beside the program, as earlier repairs left it:"
text_file "$program_folder/config"

# What a soft reset does to such a handset: the accounts lose their settings.
handset set "Work mail" INSERVER= OUTSERVER= AUTHSECRET= SMTPALTAUTHNAME= SMTPALTPASSWORD= \
  SMTPALTDOMAIN= >/dev/null
handset set "Home" INSERVER= OUTSERVER= AUTHSECRET= >/dev/null
echo
echo "The handset's stores after a soft reset lost the settings:"
handset stores | sed 's/^/    /'

# The shortcut that "Auto repair on soft reset" places in the Startup folder: the count from the
# very first byte, as a handset's shell reads it.
startup=$(handset startup-folder | tr -d '\r')
command='"C:\Program Files\Courierfix\courierfix.exe" --autorepairall'
startup_unix=$(wine_run 30 winepath -u "$startup" 2>/dev/null)
printf '%s#%s\r\n' "${#command}" "$command" >"$startup_unix/autorepair.lnk"
echo
echo "The Startup shortcut's first bytes:"
head -c 16 "$startup_unix/autorepair.lnk" | od -An -c | sed 's/^/   /'
echo
echo "The soft reset starts the Startup folder's shortcuts:"
handset softreset | sed 's/^/    /'

echo
echo "The stores afterwards:"
handset stores | sed 's/^/    /'
echo
echo "log.txt beside the program:"
text_file "$program_folder/log.txt"
