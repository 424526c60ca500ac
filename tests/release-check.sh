#!/bin/sh
# What a person downloads, checked against the executable the tests ran.
# Usage: release-check.sh rebuild CMAKE SOURCE_DIR EXE
#          the win32 preset built again from a copy of SOURCE_DIR at another
#          path, later: the executable comes out with the same bytes.
#        release-check.sh package CMAKE BUILD_DIR EXE
#          cpack's ZIP: its SHA-256 file checks out, and it holds EXE itself
#          and README.txt (CR LF line ends) in place of the developers' README.md.
mode=$1 cmake=$2 dir=$3 exe=$4
work=$(mktemp -d /tmp/clientid-release-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

if [ "$mode" = rebuild ]; then
  (cd "$dir" && tar --exclude=./build --exclude=./.git -cf - .) | tar -xf - -C "$work" || fail "copy"
  (cd "$work" && "$cmake" --preset win32 >/dev/null && "$cmake" --build --preset win32 >/dev/null) ||
    fail "build in $work"
  cmp "$exe" "$work/build/win32/clientid.exe" || fail "the build in $work differs"
  echo "built again in $work: same bytes, sha256 $(sha256sum < "$exe" | cut -c1-64)"
  exit 0
fi

"$(dirname "$cmake")/cpack" --config "$dir/CPackConfig.cmake" -B "$work" >/dev/null || fail "cpack"
cd "$work" && set -- *.zip && [ -f "$1" ] || fail "no ZIP"
sha256sum -c "$1.sha256" || fail "$1.sha256"
mkdir unpacked && cd unpacked && "$cmake" -E tar xf "../$1" && cd ./* || fail "unpack $1"
cmp clientid.exe "$exe" || fail "the ZIP's clientid.exe is not the one tested"
[ -f README.txt ] && [ ! -e README.md ] || fail "README.txt, not README.md"
awk '!/\r$/ { bad = 1 } END { exit bad }' README.txt || fail "README.txt has lines without CR LF"
echo "$1: $(ls | tr '\n' ' ')checksum ok"
