#!/bin/sh
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Usage: with-firmware.sh SETUP COMMAND [ARGS...]
# Runs COMMAND in a private mount namespace whose /sys/class is an empty tmpfs
# that the shell commands SETUP have filled first (root only). The machine's
# own /sys/class is left as it was.
setup=$1
shift
exec unshare -m sh -c "mount -t tmpfs none /sys/class && $setup && exec \"\$@\"" sh "$@"
