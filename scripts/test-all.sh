#!/usr/bin/env bash
# Installs what the tests need (where it is missing), builds every preset and
# runs every test: the native suite (with the Windows build under Wine, lint
# and memcheck), the 32-bit executable's check, the sanitizer build of the
# native suite, and a bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ libgtest-dev libgmock-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64
  clang libclang-rt-14-dev clang-tidy clang-format cppcheck valgrind util-linux time)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" = 0 ] || sudo_cmd=sudo
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

# The Windows builds come first: the native suite runs the 64-bit one under Wine.
for preset in win32 win64 native asan fuzz; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
done
for preset in win32 native asan fuzz; do
  ctest --preset "$preset"
done
