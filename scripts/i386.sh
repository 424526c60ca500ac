#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Makes sure this machine runs 32-bit x86 Linux programs, as the 32-bit Wine
# loader is one. Where the kernel refuses them (a host that runs 64-bit user
# code only), it registers an entry of its own, clientid-i386, with binfmt_misc,
# which hands them to qemu-i386 of qemu-user 8 or later (7.2 takes about a
# minute for every start of Wine): Debian 13's own, or on Debian 12 the one of
# bookworm-backports, from the Debian archive that apt is configured with, in
# a list file of its own; only qemu-user comes from backports. It leaves every
# other list file and binfmt_misc entry alone, and says in one line what it
# added and how to remove it. Nothing where the kernel runs 32-bit code. As
# root, or with sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
die() { echo "i386.sh: $*" >&2; exit 1; }
probe=/lib/ld-linux.so.2  # the 32-bit C library's loader, which Wine's brings
[ -e "$probe" ] || exit 0
"$probe" --version >/dev/null 2>&1 && exit 0

as_root=()
[ "$(id -u)" = 0 ] || as_root=(sudo)
qemu=/usr/bin/qemu-i386
list=/etc/apt/sources.list.d/clientid-bookworm-backports.list
added=()
major=$({ "$qemu" --version 2>/dev/null || true; } | sed -n '1s/^qemu-i386 version \([0-9]*\).*/\1/p')
if [ "${major:-0}" -lt 8 ]; then
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  if [ "$release" = bookworm ]; then
    # The archive that apt takes a suite from, as the suite's Release file
    # names its origin: bookworm's from Debian, backports' from Debian Backports.
    archive() { apt-get indextargets --format '$(REPO_URI)' "Origin: $1" "Codename: $2" | head -1; }
    mirror=$(archive Debian bookworm)
    [ -n "$mirror" ] || { "${as_root[@]}" apt-get -q update >/dev/null 2>&1 || true; mirror=$(archive Debian bookworm); }
    [ -n "$mirror" ] || die "apt has no Debian archive for bookworm (apt-get indextargets): add one to its sources, then run again"
    if [ -e "$list" ] || [ -z "$(archive 'Debian Backports' bookworm-backports)" ]; then
      echo "deb $mirror bookworm-backports main" | "${as_root[@]}" tee "$list" >/dev/null
      added+=("$list")
      "${as_root[@]}" apt-get -q update >/dev/null 2>&1 || true
    fi
    log=$(mktemp)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends \
      qemu-user/bookworm-backports >"$log" 2>&1 || { cat "$log" >&2; rm -f "$log"; exit 1; }
    rm -f "$log"
  else
    bash scripts/need.sh qemu-user >/dev/null
  fi
fi
binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || "${as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
entry=clientid-i386
[ ! -e "$binfmt/$entry" ] || echo -1 | "${as_root[@]}" tee "$binfmt/$entry" >/dev/null
# An i386 ELF executable or shared object; F: qemu is opened now, so that it
# also serves chroots and mount namespaces without it.
printf '%s' ":$entry:M::"'\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' |
  "${as_root[@]}" tee "$binfmt/register" >/dev/null
added+=("$binfmt/$entry")
"$probe" --version >/dev/null 2>&1 || die "32-bit programs do not run, even under $qemu"
undo="echo -1 > $binfmt/$entry"
[ ! -e "$list" ] || undo+="; rm $list; apt-get update"
echo "i386.sh: this kernel runs no 32-bit code, so 32-bit programs now run under $qemu" \
  "($("$qemu" --version | head -1)); added ${added[*]}; to remove them, as root: $undo"
