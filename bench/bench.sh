#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Prints what one run of the program costs, beside the smallest C program that
# prints the same lines and reads one character:
#   instructions of one whole successful run (callgrind; made-up firmware date,
#   empty standard input), peak memory, the size of the stripped 32-bit
#   executable and its imports (any outside the KnownDLLs rule named: a new DLL
#   or ADVAPI32 function may load more at every start), and under wine and
#   wine64 the time of a run of each Windows build beside `reg query`, the
#   ratio of its median run time to those of two yardsticks compiled and linked
#   as the build is, the link map aside (an empty program, the floor of a
#   process start under Wine, and one whose main calls RegCloseKey, the floor of any registry reader,
#   which loads ADVAPI32), and the writes of one successful run with standard
#   output on a character device.
# Needs root (a private mount namespace for the firmware date), valgrind, and
# the native, win32 and win64 builds (cmake --build --preset NAME).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" = 0 ] || { echo "bench.sh: needs root, to give the program a firmware date of its own" >&2; exit 1; }
program=build/native/clientid
work=$(mktemp -d)
trap '[ ! -d "$work/wine" ] || WINEPREFIX="$work/wine" /usr/lib/wine/wineserver -k; rm -rf "$work"' EXIT

# The yardstick, built with the program's compiler, flags and linkage.
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' build/native/CMakeCache.txt)
flags=$(sed -n 's/^CMAKE_CXX_FLAGS_RELEASE:[A-Z]*=//p' build/native/CMakeCache.txt)
# shellcheck disable=SC2086
"$compiler" -x c $flags bench/minimal.c -x none -Wl,--as-needed -o "$work/minimal"

# run_with_date COMMAND...: runs COMMAND with /sys/class/dmi/id/bios_date = 07/04/2019.
run_with_date() {
  sh tests/with-firmware.sh 'mkdir -p /sys/class/dmi/id && printf "07/04/2019\n" > /sys/class/dmi/id/bios_date' \
    "$@" < /dev/null
}
instructions() {
  run_with_date valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" "$1" 2>&1 >/dev/null |
    sed -n 's/.*Collected : //p'
}
peak_kib() { run_with_date /usr/bin/time -f %M "$1" 2>&1 >/dev/null | tail -1; }

if [ "$(run_with_date "$program")" != "$(run_with_date "$work/minimal")" ]; then
  echo "the program and the yardstick print different lines" >&2
  exit 1
fi
ours=$(instructions "$program")
theirs=$(instructions "$work/minimal")
echo "instructions, one successful run:  clientid $ours   minimal C $theirs   ratio $(awk "BEGIN { printf \"%.3f\", $ours / $theirs }")"
echo "peak resident memory (KiB):        clientid $(peak_kib "$program")   minimal C $(peak_kib "$work/minimal")"
advapi32=$(tests/pe-imports.py build/win32/clientid.exe | sed -n 's/^ADVAPI32\.dll / /p' | tr -d '\n')
minimum=$(sed -n 's/^CLIENTID_WINDOWS_MINIMUM:[A-Z]*=//p' build/win32/CMakeCache.txt)
outside=$(tests/pe-imports.py --check "$minimum" build/win32/clientid.exe | paste -sd, -) || true
echo "stripped PE32 build/win32/clientid.exe: $(wc -c < build/win32/clientid.exe) bytes; imports from ADVAPI32.dll:$advapi32;" \
  "faults against the KnownDLLs rule and Windows NT $minimum: ${outside:-none}"

wine=/usr/lib/wine
if [ -x "$wine/wine64" ]; then
  export WINEPREFIX="$work/wine" WINEDEBUG=-all
  # A server that stays up to 30 s after the last run, so that Wine's own
  # processes start once, not in a traced run.
  mkdir -p "$WINEPREFIX" && "$wine/wineserver" -p30
  "$wine/wine64" wineboot -i >/dev/null 2>&1
  key='HKLM\SYSTEM\CurrentControlSet\Control\Biosinfo'
  "$wine/wine64" reg add "$key" /v SystemBiosDate /t REG_SZ /d 07/04/19 /f >/dev/null
  "$wine/wine64" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f \
    /d 'KERNEL32.WriteFile;KERNEL32.WriteConsoleA;KERNEL32.WriteConsoleW' >/dev/null
  run_times_us() {  # the wall time of each of 20 runs, after one warm-up, sorted
    "$@" </dev/null >/dev/null 2>&1
    for _ in $(seq 20); do
      local start end
      start=$(date +%s%N)
      "$@" </dev/null >/dev/null 2>&1
      end=$(date +%s%N)
      echo $(((end - start) / 1000))
    done | sort -n
  }
  mean_ms() { awk '{ s += $1 } END { printf "%d", s / NR / 1000 }'; }
  median_ms() { awk '{ t[NR] = $1 } END { printf "%.1f", (t[10] + t[11]) / 2000 }'; }
  ratio() { awk "BEGIN { printf \"%.2f\", $(median_ms <<<"$1") / $(median_ms <<<"$2") }"; }
  # Each build beside the reg.exe of its own word size, and beside the two
  # yardsticks linked by the build's own link command.
  echo 'int main() { return 0; }' > "$work/empty.cc"
  printf '%s\n' '#include <windows.h>' 'int main() { return RegCloseKey(nullptr) == 0; }' > "$work/registry.cc"
  for build in "32 wine syswow64 PE32" "64 wine64 system32 PE32+"; do
    set -- $build
    [ -x "$wine/$2" ] && [ -f "build/win$1/clientid.exe" ] || continue
    # The link command up to its inputs, less the map: the build's own stays.
    link=$(sed -n -e 's/ -Wl,-Map,[^ ]*//' -e 's/ -Wl,--whole-archive.*//p' "build/win$1/CMakeFiles/clientid.dir/link.txt")
    $link "$work/empty.cc" -o "$work/empty$1.exe"
    $link "$work/registry.cc" -ladvapi32 -o "$work/registry$1.exe"
    ours=$(run_times_us "$wine/$2" "build/win$1/clientid.exe")
    reg=$(run_times_us "$wine/$2" "C:\\windows\\$3\\reg.exe" query "$key" /v SystemBiosDate)
    empty=$(run_times_us "$wine/$2" "$work/empty$1.exe")
    registry=$(run_times_us "$wine/$2" "$work/registry$1.exe")
    echo "under $2, mean of 20 runs (ms): build/win$1/clientid.exe $(mean_ms <<<"$ours")   reg query $(mean_ms <<<"$reg")"
    echo "under $2, median of 20 runs (ms): build/win$1/clientid.exe $(median_ms <<<"$ours")" \
      "  empty $4 $(median_ms <<<"$empty") (ratio $(ratio "$ours" "$empty"))" \
      "  $4 calling RegCloseKey $(median_ms <<<"$registry") (ratio $(ratio "$ours" "$registry"))"
    writes=$(WINEDEBUG=-all,+relay "$wine/$2" "build/win$1/clientid.exe" </dev/null 2>&1 >/dev/null |
      grep -c 'Call KERNEL32\.Write')
    echo "under $2, writes of one successful run, standard output on /dev/null: $writes"
  done
fi
