#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet (apt-get
# update first). Options before the names go to apt-get install, e.g. --no-install-recommends.
set -euo pipefail
options=()
while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do options+=("$1"); shift; done
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${options[@]}" "${missing[@]}"
fi
