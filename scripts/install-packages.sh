#!/usr/bin/env bash
# Installs whichever of the packages in packages.txt are missing, adding first the architecture
# of any named as NAME:ARCH (the 32-bit Wine is i386). Needs root (dpkg, apt-get) only when
# something is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

missing=()
architectures=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] && continue
  missing+=("$pkg")
  if [[ "$pkg" == *:* ]]; then
    architectures+=("${pkg##*:}")
  fi
done <"$here/packages.txt"

[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "install-packages: missing packages: ${missing[*]} (run as root, or install them first)" >&2
  exit 1
fi
echo "install-packages: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
known=" $(dpkg --print-architecture) $(dpkg --print-foreign-architectures | tr '\n' ' ')"
for architecture in "${architectures[@]}"; do
  if [[ "$known" != *" $architecture "* ]]; then
    echo "install-packages: adding the $architecture architecture"
    dpkg --add-architecture "$architecture"
    known+="$architecture "
  fi
done
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
