#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Makes sure this machine runs 32-bit x86 Linux programs, as the 32-bit Wine
# loader is one. Where the kernel refuses them ("Exec format error": a host
# that runs 64-bit user code only), binfmt_misc is told to hand them to
# qemu-i386 of qemu-user 8 or later (7.2 takes about a minute for every start
# of Wine), from Debian 12's backports or Debian 13 itself. Says so in one line
# when it does; nothing where the kernel runs them. As root, or with sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
probe=/lib/ld-linux.so.2  # the 32-bit C library's loader, which Wine's brings
[ -e "$probe" ] || exit 0
"$probe" --version >/dev/null 2>&1 && exit 0

as_root=()
[ "$(id -u)" = 0 ] || as_root=(sudo)
qemu=/usr/bin/qemu-i386
major=$({ "$qemu" --version 2>/dev/null || true; } | sed -n '1s/^qemu-i386 version \([0-9]*\).*/\1/p')
if [ "${major:-0}" -lt 8 ]; then
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  if [ "$release" = bookworm ]; then
    mirror=$(grep -shv '^ *#' /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources |
      grep -oE 'https?://[^ ]+/debian/?( |$)' | head -1 | tr -d ' ' || true)
    echo "deb ${mirror:-http://deb.debian.org/debian} bookworm-backports main" |
      "${as_root[@]}" tee /etc/apt/sources.list.d/bookworm-backports.list >/dev/null
    "${as_root[@]}" apt-get -q update >/dev/null 2>&1 || true
    log=$(mktemp)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends \
      -t bookworm-backports qemu-user >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
    rm -f "$log"
  else
    bash scripts/need.sh qemu-user >/dev/null
  fi
fi
binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || "${as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
[ ! -e "$binfmt/qemu-i386" ] || echo -1 | "${as_root[@]}" tee "$binfmt/qemu-i386" >/dev/null
# An i386 ELF executable or shared object; F: qemu is opened now, so that it
# also serves chroots and mount namespaces without it.
printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' |
  "${as_root[@]}" tee "$binfmt/register" >/dev/null
"$probe" --version >/dev/null 2>&1 || { echo "i386.sh: 32-bit programs do not run, even under $qemu" >&2; exit 1; }
echo "i386.sh: this kernel runs no 32-bit code; 32-bit programs run under $qemu ($("$qemu" --version | head -1))"
