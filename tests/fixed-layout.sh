#!/bin/sh
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Runs COMMAND with a fixed address layout (setarch -R). Debian's Wine starts
# without its preloader, so a 64-bit Wine process whose heap the kernel happens
# to place over Wine's shared user data (0x7ffe0000) fails to start ("failed to
# map the shared user data", exit 1): about once in 3,000 starts. Where the
# kernel refuses a fixed layout (the default seccomp profiles of Docker and
# Podman refuse personality(ADDR_NO_RANDOMIZE)), COMMAND runs without it and
# says so: a rare failed start is a smaller harm than a suite that cannot run.
# Usage: fixed-layout.sh COMMAND [ARGS...]
if setarch -R true 2>/dev/null; then exec setarch -R "$@"; fi
echo "without a fixed address layout: the kernel refuses it (setarch -R)"
exec "$@"
