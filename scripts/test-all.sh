#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Installs what the tests need (where it is missing), builds every preset and
# runs every test: the shipped 32-bit executable's checks (headers, hardening,
# resources, the same bytes from a second build and release, the release ZIP
# and its signed form), the native suite (with both Windows builds under Wine,
# lint and memcheck), the sanitizer build of the native suite, and a bounded
# fuzz run. Lists the tests that did not run; under CI any of them fails it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/need.sh cmake make g++ libgtest-dev libgmock-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
  wine64 wine32:i386 clang libclang-rt-dev clang-tidy clang-format cppcheck valgrind util-linux time \
  checksec pev zip osslsigncode openssl softhsm2 libengine-pkcs11-openssl python3 python3-pefile reuse \
  python3-license-expression

bash scripts/i386.sh

# The Windows builds come first: the native suite runs both under Wine.
for preset in win32 win64 native asan fuzz; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
done
# Every suite runs, whatever another's result. Then the tests that did not run,
# with their reasons: under CI (CI set) any of them fails the command.
failed=()
for preset in win32 native asan fuzz; do
  rm -f "build/$preset/junit.xml"
  ctest --preset "$preset" --output-junit "$PWD/build/$preset/junit.xml" || failed+=("$preset")
done
not_run=0
tests/not-run.py build/{win32,native,asan,fuzz}/junit.xml || not_run=1
[ "${#failed[@]}" -eq 0 ] || { echo "test-all.sh: tests failed in: ${failed[*]}"; exit 1; }
exit "$not_run"
