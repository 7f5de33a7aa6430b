#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet (apt-get
# update first). Options before the names go to apt-get install, e.g. --no-install-recommends.
# Installing needs root: run as root, or as a user who may use sudo.
set -euo pipefail
options=()
while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do options+=("$1"); shift; done
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    cat >&2 <<MSG
install-packages: these Debian packages are needed and not installed:
  ${missing[*]}
Installing them needs root, and this user ($(id -un)) is not root and there is no sudo.
Either run the same command as root:
  su -c 'bash $0 ${options[*]} ${missing[*]}'
or install sudo once as root and let this user use it, then log in again:
  su -c 'apt-get install sudo && adduser $(id -un) sudo'
MSG
    exit 1
  fi
  SUDO=(sudo)
fi
echo "Installing: ${missing[*]}"
if ! "${SUDO[@]}" apt-get update || ! DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y "${options[@]}" "${missing[@]}"; then
  echo "install-packages: apt-get could not install ${missing[*]}." >&2
  [ ${#SUDO[@]} -eq 0 ] || echo "If sudo refused, this user may not use it: run the script as root instead." >&2
  exit 1
fi
