#!/bin/sh
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# not-run.py over a made-up suite: a test that did not run, and one that passed
# while it said it skipped part of itself, are both named, and fail under CI;
# a clean pass and a failure are neither. Usage: not-run_test.sh NOT-RUN.PY
dir=$(mktemp -d)/native && mkdir "$dir" && trap 'rm -rf "${dir%/native}"' EXIT || exit 1
cat >"$dir/junit.xml" <<'XML'
<testsuite><testcase name="clean" status="run"><system-out>all done</system-out></testcase>
<testcase name="partly" status="run"><system-out>half done
skipped: pesec not found</system-out></testcase>
<testcase name="whole" status="notrun"><system-out>skipped: needs root</system-out><skipped message="x"/></testcase>
<testcase name="failed" status="fail"><system-out>skipped: x</system-out><failure message="Failed"/></testcase></testsuite>
XML
expected="Not run: partly (native): passed, but skipped part of itself: pesec not found
Not run: whole (native): needs root"
out=$(CI='' "$1" "$dir/junit.xml") && [ "$out" = "$expected" ] || { echo "FAIL without CI: $out"; exit 1; }
out=$(CI=true "$1" "$dir/junit.xml") && { echo "FAIL: passed under CI"; exit 1; }
[ "$out" = "$expected
Under CI every test must run; these did not: partly (native), whole (native)" ] || { echo "FAIL under CI: $out"; exit 1; }
echo "not-run.py names a test that did not run and one that skipped part of itself, and fails them under CI"
