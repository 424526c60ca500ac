#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing (as root, or
# with sudo), refreshing the package lists first. A package named NAME:i386
# brings in the i386 architecture first. Recommended packages are left out:
# the scripts name every package they use.
set -euo pipefail
missing=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ "${#missing[@]}" -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
as_root=()
[ "$(id -u)" = 0 ] || as_root=(sudo)
if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
# A mirror in the middle of a sync may fail one list: the install then says
# whether what is needed is still to be had.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q ||
  echo "need.sh: some package lists could not be refreshed; installing from those at hand" >&2
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
