#!/bin/sh
# The Windows build's stack protector under Wine, in a fresh prefix. PROBE:
# intact, it exits 0 with a guard that is not zero and another in every run;
# overrun, it ends at once with STATUS_STACK_BUFFER_OVERRUN (-1073740791).
# Usage: stack-guard-check.sh PROBE
wine=/usr/lib/wine/wine
fail() { echo "FAIL: $*"; exit 1; }
"$wine" --version >/dev/null 2>&1 || { [ -n "$CI" ] && fail "cannot run $wine"; echo "skipped: cannot run $wine"; exit 77; }
export WINEPREFIX="$(mktemp -d /tmp/clientid-guard-XXXXXX)" WINEDEBUG=-all
trap '/usr/lib/wine/wineserver -k; rm -rf "$WINEPREFIX"' EXIT
cd "$(dirname "$1")" && "$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot"
first=$("$wine" "$1" x) && second=$("$wine" "$1" x) || fail "intact, it exits $?"
case $first in "x "*[1-9a-fA-F]*) ;; *) fail "a zero guard: $first" ;; esac
[ "$first" != "$second" ] || fail "the same guard in two runs: $first"
# cmd expands %errorlevel% as it reads the line, before the probe has run;
# delayed expansion (/v:on, !errorlevel!) reads it after.
status=$("$wine" cmd /v:on /c "$(basename "$1") 0123456789abcdef0123456789 & echo !errorlevel!" | tail -1 | tr -d '\r')
[ "$status" = -1073740791 ] && echo "guards ${first#x } and ${second#x }; overrun: $status" ||
  fail "overrun, it ends with status $status"
