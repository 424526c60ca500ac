#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Builds the native program alone (installing the compiler, make and CMake
# where missing) and runs it. CMake's and the compiler's words are shown only
# when the build fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/need.sh cmake make g++
log=$(mktemp)
if ! { cmake --preset native && cmake --build --preset native --target clientid; } >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  exit 1
fi
rm -f "$log"
exec build/native/clientid "$@"
