#!/usr/bin/env bash
# Installs what the tests need (where it is missing), builds every preset and
# runs every test: the shipped 32-bit executable's checks (headers, hardening,
# resources, the same bytes from a second build and release, the release ZIP
# and its signed form), the native suite (with both Windows builds under Wine,
# lint and memcheck), the sanitizer build of the native suite, and a bounded
# fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/need.sh cmake make g++ libgtest-dev libgmock-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
  wine64 wine32:i386 clang libclang-rt-dev clang-tidy clang-format cppcheck valgrind util-linux time \
  checksec pev zip osslsigncode openssl softhsm2 libengine-pkcs11-openssl python3 python3-pefile

bash scripts/i386.sh

# The Windows builds come first: the native suite runs both under Wine.
for preset in win32 win64 native asan fuzz; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
done
for preset in win32 native asan fuzz; do
  ctest --preset "$preset"
done
