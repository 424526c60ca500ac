#!/bin/sh
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# The native program end to end with a made-up firmware date: each run gets a
# private mount namespace whose /sys/class holds only what the row sets up.
# Usage: native-e2e.sh PROGRAM [WRAPPER ARGS...], the wrapper (valgrind, say)
# running the program in every row.
here=$(dirname "$0")
program=$1
shift
wrapper="$*"
if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
  echo "skipped: needs root and mount namespaces (unshare -m) to give the program its own firmware date"
  exit 77
fi
if [ -n "$wrapper" ] && ! command -v "${wrapper%% *}" >/dev/null; then
  echo "skipped: ${wrapper%% *} not found"
  exit 77
fi

failures=0
runs=0
# check SETUP EXPECTED: runs the program after SETUP, with ENTER on standard input.
check() {
  errors=$(mktemp)
  # shellcheck disable=SC2086 # the wrapper is split into its words
  actual=$(printf '\n' | sh "$here/with-firmware.sh" "$1" $wrapper "$program" 2>"$errors"; echo "exit=$?")
  expected=$(printf '%bexit=0' "$2")
  if [ "$actual" != "$expected" ] || [ -s "$errors" ]; then
    echo "FAIL after '$1':"; echo "$actual"; cat "$errors"; failures=$((failures + 1))
  fi
  rm -f "$errors"; runs=$((runs + 1))
}

# reader_gone SETUP: the same run with standard output on a pipe whose reader
# has already closed it, and SIGPIPE at its default: it still exits with 0.
reader_gone() {
  fifo=$(mktemp -d)/fifo errors=$(mktemp)
  mkfifo "$fifo" && exec 3<>"$fifo" 4>"$fifo" 3<&-  # 4: the write end, no reader left
  # shellcheck disable=SC2086 # the wrapper is split into its words
  printf '\n' | sh "$here/with-firmware.sh" "$1" env --default-signal=PIPE $wrapper "$program" \
    >&4 2>"$errors"
  status=$?
  exec 4>&-
  if [ "$status" != 0 ] || [ -s "$errors" ]; then
    echo "FAIL after '$1' with the reader gone: exit $status"; cat "$errors"; failures=$((failures + 1))
  fi
  rm -rf "$errors" "${fifo%/fifo}"; runs=$((runs + 1))
}

dmi='mkdir -p /sys/class/dmi/id'
date="$dmi && printf '07/04/2019\n' > /sys/class/dmi/id/bios_date"
check "$date" '\n\nYour client id is : quillbrook070419\n\n*** Press ENTER to exit***\n'
check "$dmi && printf '12/31/99' > /sys/class/dmi/id/bios_date" \
  '\n\nYour client id is : quillbrook123199\n\n*** Press ENTER to exit***\n'
check "$dmi && printf '01/02/2003 and then more\n' > /sys/class/dmi/id/bios_date" \
  'value query failed, error 234\n'
check "$dmi" 'value query failed, error 2\n'
check "true" 'Key open failed, error 2\n'
reader_gone "$date"
reader_gone "true"

[ "$failures" = 0 ] && echo "native end to end${wrapper:+ under $wrapper}: $runs runs passed"
exit "$failures"
