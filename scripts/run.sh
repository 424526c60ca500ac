#!/usr/bin/env bash
# Builds the native program (installing the compiler and CMake where missing)
# and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/need.sh cmake make g++
cmake --preset native >/dev/null
cmake --build --preset native >/dev/null
exec build/native/clientid "$@"
