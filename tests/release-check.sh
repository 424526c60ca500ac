#!/bin/sh
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# What a person downloads, checked against the executable the tests ran.
# Usage: release-check.sh MODE CMAKE SOURCE_DIR EXE, MODE being
#   rebuild  the win32 preset built and released again from a copy of
#            SOURCE_DIR at another path, later: the same executable, the same ZIP.
#   package  scripts/release.sh's ZIP: its SHA-256 file checks out, and it holds
#            EXE itself, README.txt (not README.md), the build record
#            BUILDINFO.txt naming the build's compiler, the licence and the
#            notices with the Lucent and ZPL texts, all with CR LF, and the
#            SBOM, which agrees with the notices and the exe (sbom-check.py);
#            a member that no licence row names stops the notices.
#   sign     signed with a throwaway CA's key, from a PKCS#12 file and from a
#            token (SoftHSM) with a timestamp: the signature verifies, less the
#            signature the exe is EXE, it runs under Wine, and the SBOM's
#            checksums are the signed exe's; a wrong password leaves no ZIP.
mode=$1 cmake=$2 dir=$3 exe=$4 here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/clientid-release-XXXXXX)
trap 'WINEPREFIX="$work/wine" /usr/lib/wine/wineserver -k 2>/dev/null; kill $tsa 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
release() { bash "$dir/scripts/release.sh" --no-check "$@" >"$work/release.out" 2>&1; }
unpack() {  # ZIP FOLDER: unpacks ZIP into FOLDER/
  mkdir -p "$2" && (cd "$2" && "$cmake" -E tar xf "$1") || fail "unpack $1"
}

if [ "$mode" = rebuild ]; then
  (cd "$dir" && tar --exclude=./build --exclude=./dist -cf - .) | tar -mxf - -C "$work" || fail "copy"
  (cd "$work" && "$cmake" --preset win32 >/dev/null && "$cmake" --build --preset win32 >/dev/null) ||
    fail "build in $work"
  cmp "$exe" "$work/build/win32/clientid.exe" || fail "the build in $work differs"
  release "$work/here" && bash "$work/scripts/release.sh" --no-check "$work/there" >/dev/null || fail "release"
  cmp "$work"/here/*.zip "$work"/there/*.zip || fail "the ZIP released in $work differs"
  echo "built and released again in $work: same bytes, exe sha256 $(sha256sum < "$exe" | cut -c1-64)," \
    "ZIP $(cut -c1-64 "$work"/there/*.sha256)"
  exit 0
fi

if [ "$mode" = package ]; then
  release "$work" || fail "release.sh: $(cat "$work/release.out")"
  cd "$work" && set -- *.zip && [ -f "$1" ] || fail "no ZIP"
  sha256sum -c "$1.sha256" || fail "$1.sha256"
  unpack "$work/$1" unpacked && cd unpacked/* || fail "unpack $1"
  cmp clientid.exe "$exe" || fail "the ZIP's clientid.exe is not the one tested"
  [ -f README.txt ] && [ ! -e README.md ] || fail "README.txt, not README.md"
  awk '!/\r$/ { bad = 1 } END { exit bad }' README.txt BUILDINFO.txt LICENSE.txt THIRD-PARTY-NOTICES.txt ||
    fail "a text is missing, or has lines without CR LF"
  compiler=$(sed -n 's/^CLIENTID_CXX_COMPILER:[A-Z]*=//p' "${exe%/*}/CMakeCache.txt")
  version=$("$compiler" --version | sed -n '1s/^[^ ]* //p')
  grep -q "^compiler: .* $version" BUILDINFO.txt || fail "BUILDINFO.txt does not name the compiler $version"
  grep -q "The clientid authors" LICENSE.txt && grep -q "LUCENT DISCLAIMS ALL WARRANTIES" THIRD-PARTY-NOTICES.txt &&
    grep -q "Redistributions in binary form must reproduce" THIRD-PARTY-NOTICES.txt || fail "the licence, or a notice"
  "$here/sbom-check.py" "$dir/app/third-party.txt" . || fail "the SBOM"
  # A member that no row of the table names stops the release.
  member=$(grep -m1 '^/.*/libmingwex\.a(' "${exe%/*}/clientid.map" | sed 's/(.*/(lib32_libmingwex_a-strtok_r.o)/')
  (cat "${exe%/*}/clientid.map" && echo "$member") >"$work/seeded.map"
  ! "$dir/scripts/notices.py" "$work/seeded.map" "$dir/app/third-party.txt" >/dev/null 2>"$work/notices.err" &&
    grep -q "no licence known for libmingwex.a(lib32_libmingwex_a-strtok_r.o)" "$work/notices.err" ||
    fail "a member without a known licence: $(cat "$work/notices.err")"
  grep -q "is not signed" README.txt && ! grep -qE "is signed|^#|signer" README.txt || fail "README.txt of the unsigned ZIP"
  echo "$1: $(ls | tr '\n' ' ')checksum ok"
  exit 0
fi

# sign: a throwaway CA, and a code-signing and a timestamping certificate it issued.
cd "$work" || exit 1
for tool in openssl osslsigncode softhsm2-util python3 /usr/lib/wine/wine; do
  command -v "$tool" >/dev/null || { echo "skipped: needs $tool"; exit 77; }
done
{ openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Throwaway CA" -keyout ca.key -out ca.pem \
    -addext basicConstraints=critical,CA:TRUE &&
  for use in codeSigning critical,timeStamping; do
    openssl req -newkey rsa:2048 -nodes -subj "/O=Throwaway/CN=${use#*,} of Throwaway & Co" -keyout "${use#*,}.key" -out "${use#*,}.csr" &&
      echo "extendedKeyUsage=$use" | openssl x509 -req -in "${use#*,}.csr" -CA ca.pem -CAkey ca.key \
        -days 1 -extfile /dev/stdin -out "${use#*,}.pem" || fail "certificate for $use"
  done &&
  openssl pkcs12 -export -inkey codeSigning.key -in codeSigning.pem -certfile ca.pem -out signer.p12 \
    -passout pass:s3cret; } 2>/dev/null || fail "certificates"
CLIENTID_SIGN_PASSWORD=wrong release --sign-pkcs12 signer.p12 wrong && fail "a wrong password signed"
grep -q "wrong password" release.out && [ ! -e wrong ] || fail "wrong password: $(cat release.out)"
CLIENTID_SIGN_PASSWORD=s3cret release --sign-pkcs12 signer.p12 file || fail "$(cat release.out)"

# The token: SoftHSM holding the same key; the timestamp from a local RFC 3161 server.
export SOFTHSM2_CONF="$work/softhsm2.conf"
mkdir tokens && echo "directories.tokendir = $work/tokens" >"$SOFTHSM2_CONF" &&
  openssl pkcs8 -topk8 -nocrypt -in codeSigning.key -out signer.p8 &&
  softhsm2-util --init-token --free --label clientid --pin 4321 --so-pin 8765 >/dev/null &&
  softhsm2-util --import signer.p8 --token clientid --label signer --id 01 --pin 4321 >/dev/null ||
  fail "SoftHSM token"
printf '%s\n' '[tsa]' default_tsa=t '[t]' "serial=$work/serial" signer_cert=timeStamping.pem \
  signer_key=timeStamping.key signer_digest=sha256 default_policy=1.2.3.4 digests=sha256 >tsa.cnf
python3 "$here/tsa-server.py" tsa.cnf >port & tsa=$!
for _ in $(seq 50); do [ -s port ] || sleep 0.1; done
cat codeSigning.pem ca.pem >chain.pem
CLIENTID_SIGN_PASSWORD=4321 release --sign-pkcs11 /usr/lib/softhsm/libsofthsm2.so --sign-cert chain.pem \
  --sign-key "pkcs11:token=clientid;object=signer;type=private" --timestamp "http://127.0.0.1:$(cat port)" \
  token || fail "$(cat release.out)"

export WINEPREFIX="$work/wine" WINEDEBUG=-all
/usr/lib/wine/wine wineboot -i >/dev/null 2>&1 && /usr/lib/wine/wine reg add \
  'HKLM\SYSTEM\CurrentControlSet\Control\Biosinfo' /v SystemBiosDate /d 07/04/19 /f >/dev/null 2>&1 ||
  fail "Wine prefix"
for how in file token; do
  unpack "$work/$how/"*.zip "$how/unpacked" && signed=$(echo "$how"/unpacked/*/clientid.exe)
  osslsigncode verify -CAfile ca.pem -TSA-CAfile ca.pem -in "$signed" >verify.out 2>&1 ||
    fail "$how: the signature does not verify: $(cat verify.out)"
  [ "$how" = file ] || grep -q "Timestamp Server Signature verification: ok" verify.out || fail "no timestamp"
  grep -qF 'is signed by "codeSigning of Throwaway & Co"' "${signed%/*}/README.txt" &&
    ! grep -qE "not signed|^#|<signer>" "${signed%/*}/README.txt" ||
    fail "$how: README.txt of the signed ZIP"
  osslsigncode remove-signature -in "$signed" -out "$how.exe" >/dev/null && cmp "$how.exe" "$exe" ||
    fail "$how: less its signature, the exe is not the one tested"
  "$here/sbom-check.py" "$dir/app/third-party.txt" "${signed%/*}" >/dev/null || fail "$how: the SBOM"
  out=$(echo | /usr/lib/wine/wine "$signed" 2>&1)
  case $out in *"Your client id is : quillbrook070419"*) ;; *) fail "$how: under Wine: $out" ;; esac
done
echo "signed from a PKCS#12 file and from a token (timestamped): both verify, both are the tested exe" \
  "less the signature, both run under Wine, both SBOMs name the signed exe; a wrong password leaves no ZIP"
