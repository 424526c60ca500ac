#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
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
apt_get() { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q "$@"; }
if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
# A mirror in the middle of a sync may fail a list: apt leaves it out, and the
# install says whether what is needed is still to be had.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
apt_get update 2>&1 | tee "$log" ||
  echo "need.sh: some package lists could not be refreshed; installing from those at hand" >&2
install() { apt_get install -y --no-install-recommends "$@" "${missing[@]}"; }
install && exit 0
# Without an i386 list of the security or updates suite, the 32-bit twins of
# libraries updated there cannot match their amd64 versions. The release's own
# suite may still give both at one version; apt never downgrades with -y.
list=$(sed -n 's/^Err:[0-9]* [^ ]* \([^ ]* i386 Packages\)$/\1/p' "$log" | head -1)
[ -n "$list" ] && [[ " ${missing[*]}" == *:i386* ]] || exit 1
release=$(. /etc/os-release && echo "$VERSION_CODENAME")
echo "need.sh: the list $list could not be read: installing from $release's point release instead of ${list%%/*}" >&2
install -t "$release" && exit 0
echo "need.sh: the 32-bit packages need the list $list, which the archive serves broken; retry once it is whole" >&2
exit 1
