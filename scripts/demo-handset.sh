#!/usr/bin/env bash
# demo-handset.sh: makes a fresh demo handset in build/demo-handset (build-i686/ for ARCH=i686), a
# Wine prefix: Courierfix installed in C:\Program Files\Courierfix, three mail accounts and a
# store that is no mail account, and a config with the saved sections of two accounts, as earlier
# repairs would have left it. Runs inside with-wine.sh (WINEPREFIX set, server running).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"

handset() { wine_run 60 "$top/$BUILD/bin/handset.exe" "$@"; }

program_folder="$WINEPREFIX/drive_c/Program Files/Courierfix"
mkdir -p "$program_folder"
cp "$top/$BUILD/bin/courierfix.exe" "$program_folder/"

handset clear >/dev/null
handset add-store "Work mail" INSERVER=pop.work.example OUTSERVER=smtp.work.example \
  AUTHSECRET='s3cret&more' SMTPALTAUTHNAME=me@work.example SMTPALTPASSWORD=s3cret \
  SMTPALTDOMAIN=WORK >/dev/null
handset add-store "Home" INSERVER=pop.home.example OUTSERVER=smtp.home.example \
  AUTHSECRET=h0me >/dev/null
handset add-store "Text messages" --no-guid >/dev/null
handset add-store "Travel" INSERVER=imap.travel.example >/dev/null
handset startup-folder >/dev/null

# config as two repairs from the dialog leave it: UTF-8 with a byte-order mark, CRLF lines.
parm() { printf '<parm name="%s" value="%s"/>\r\n' "$1" "$2"; }
{
  printf '\xEF\xBB\xBF[Work mail]\r\n'
  parm INSERVER pop.work.example
  parm OUTSERVER smtp.work.example
  parm AUTHSECRET 's3cret&amp;more'
  parm SMTPALTAUTHNAME me@work.example
  parm SMTPALTPASSWORD s3cret
  parm SMTPALTDOMAIN WORK
  printf '[Home]\r\n'
  parm INSERVER pop.home.example
  parm OUTSERVER smtp.home.example
  parm AUTHSECRET h0me
} >"$program_folder/config"
