#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Builds the win32 preset, runs every test on it (scripts/test-all.sh, where
# every test must run, as under CI) and writes the release into OUTDIR (default
# dist/): clientid-<version>-i686-windows.zip, holding clientid.exe, README.txt,
# the licence LICENSE.txt, the notices of the third-party code in the exe
# THIRD-PARTY-NOTICES.txt, its software bill of materials clientid.spdx.json
# (SPDX 2.3) and the build record BUILDINFO.txt, and its .sha256.
# The unsigned ZIP's bytes follow from the commit and the toolchain alone: its
# files carry the commit's time (or SOURCE_DATE_EPOCH), in a fixed order and
# modes.
#
# Usage: scripts/release.sh [OPTIONS] [OUTDIR]
#   --no-check              package without running the tests (the release
#                           tests use it; a release for people does not)
#   --sign-pkcs12 FILE      sign clientid.exe (Authenticode, SHA-256) with the
#                           key and certificate chain in the PKCS#12 FILE
#   --sign-pkcs11 MODULE    sign with a key on a PKCS#11 token or HSM, through
#     --sign-cert CERT      the token's MODULE, with the certificate chain in
#     --sign-key URI        CERT and the key at the PKCS#11 URI
#   --timestamp URL         add an RFC 3161 timestamp from the server at URL
# The password (or the token's PIN) comes from CLIENTID_SIGN_PASSWORD. Only the
# ZIP's copy is signed: build/win32/clientid.exe stays the one the tests ran.
set -euo pipefail
die() { echo "release.sh: $*" >&2; exit 1; }

pkcs12='' module='' cert='' key='' timestamp='' outdir='' check=yes
while [ $# -gt 0 ]; do
  case $1 in
    --sign-pkcs12 | --sign-pkcs11 | --sign-cert | --sign-key | --timestamp)
      [ $# -ge 2 ] || die "$1 needs a value"
      case $1 in
        --sign-pkcs12) pkcs12=$2 ;;
        --sign-pkcs11) module=$2 ;;
        --sign-cert) cert=$2 ;;
        --sign-key) key=$2 ;;
        --timestamp) timestamp=$2 ;;
      esac
      shift 2 ;;
    --no-check) check=''; shift ;;
    -h | --help) awk 'NR > 1 && !/^#/ { exit } NR > 1 && !/SPDX-/ { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    -*) die "unknown option: $1 (see --help)" ;;
    *) [ -z "$outdir" ] || die "one OUTDIR only, not '$outdir' and '$1'"; outdir=$1; shift ;;
  esac
done
# Paths as the caller gave them, then to the project's root.
for path in pkcs12 module cert outdir; do
  [ -z "${!path}" ] || [[ ${!path} == /* ]] || printf -v "$path" '%s' "$PWD/${!path}"
done
cd "$(dirname "$0")/.."
outdir=${outdir:-dist}
[ -z "$pkcs12" ] || [ -z "$module" ] || die "--sign-pkcs12 and --sign-pkcs11 exclude each other"
signing=${pkcs12:+pkcs12}${module:+pkcs11}
if [ "$signing" = pkcs11 ] || [ -n "$cert$key" ]; then
  [ -n "$module" ] && [ -n "$cert" ] && [ -n "$key" ] ||
    die "a token needs --sign-pkcs11 MODULE, --sign-cert CERT and --sign-key URI together"
  [ -r "$module" ] || die "cannot read the PKCS#11 module $module"
  [ -r "$cert" ] || die "cannot read the certificate file $cert"
fi
[ -z "$pkcs12" ] || [ -r "$pkcs12" ] || die "cannot read the key file $pkcs12"
[ -z "$timestamp" ] || [ -n "$signing" ] || die "--timestamp needs a signing key"
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
[[ "$epoch" =~ ^[0-9]+$ ]] || die "no commit time: run in a git clone, or set SOURCE_DATE_EPOCH"

bash scripts/need.sh cmake make g++-mingw-w64-i686 zip python3 ${signing:+osslsigncode openssl} ${module:+libengine-pkcs11-openssl} >&2
export CLIENTID_SIGN_PASSWORD=${CLIENTID_SIGN_PASSWORD-}
# The signer's certificate: the one with the key in a PKCS#12 file, the first in
# CERT for a token. README.txt names its subject's common name, as Windows does.
signer_certificate() {
  if [ "$signing" = pkcs11 ]; then cat "$cert"; return; fi
  openssl pkcs12 -in "$pkcs12" -nokeys -clcerts -passin env:CLIENTID_SIGN_PASSWORD 2>/dev/null ||
    openssl pkcs12 -legacy -in "$pkcs12" -nokeys -clcerts -passin env:CLIENTID_SIGN_PASSWORD 2>/dev/null
}
signer=''
if [ -n "$signing" ]; then
  pem=$(signer_certificate) ||
    die "cannot open $pkcs12: wrong password in CLIENTID_SIGN_PASSWORD, or not a PKCS#12 file"
  signer=$(printf '%s\n' "$pem" | openssl x509 -noout -subject -nameopt multiline,utf8,-esc_msb 2>/dev/null |
    sed -n 's/^ *commonName *= //p' | head -1)
  [ -n "$signer" ] || die "the signing certificate's subject has no common name to name the signer by"
fi

cmake --preset win32 >/dev/null
cmake --build --preset win32 >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/win32/CMakeCache.txt)
name=clientid-$version-i686-windows
work=$(mktemp -d)
trap 'rm -rf "$work" "$outdir/.$name.zip.part" "$outdir/.$name.zip.sha256.part"' EXIT
# What the link put in, before anything else: from the map of the link that
# made the exe, and, before the tests take their minutes, with a licence known
# for every member (notices.py names one that has none).
(cd build/win32 && sha256sum --quiet --check clientid.link) >/dev/null 2>&1 ||
  die "build/win32/clientid.map is not the map written when build/win32/clientid.exe was linked (another link wrote over it): relink, rm build/win32/clientid.exe && cmake --build --preset win32"
if [ -n "$check" ]; then
  scripts/notices.py build/win32/clientid.map app/third-party.txt >/dev/null || exit 1
  # Held to CI's rule: a test that did not run fails as one that failed.
  log=$(mktemp) tested=$(sha256sum <build/win32/clientid.exe)
  if ! CI=${CI:-release} bash scripts/test-all.sh >"$log" 2>&1; then
    tail -25 "$log" >&2
    die "the tests failed or did not all run (the whole output: $log): nothing was packaged"
  fi
  [ "$(sha256sum <build/win32/clientid.exe)" = "$tested" ] || die "build/win32/clientid.exe changed while tested"
  rm -f "$log"
  echo "release.sh: every test ran and passed on build/win32/clientid.exe" >&2
fi
cmake --install build/win32 --prefix "$work/$name" >/dev/null
# The terms of what is inside, for the person on Windows (CR LF).
sed 's/$/\r/' LICENSE >"$work/$name/LICENSE.txt"

if [ -n "$signing" ]; then
  if [ "$signing" = pkcs12 ]; then
    with=(-pkcs12 "$pkcs12")
  else
    with=(-pkcs11module "$module" -certs "$cert" -key "$key")
  fi
  # The password reaches osslsigncode through a pipe, never through its arguments.
  [ -z "$CLIENTID_SIGN_PASSWORD" ] || with+=(-readpass /dev/fd/3)
  [ -z "$timestamp" ] || with+=(-ts "$timestamp")
  if ! osslsigncode sign "${with[@]}" -h sha256 -n "quillbrook client id" \
    -in "$work/$name/clientid.exe" -out "$work/signed.exe" \
    3< <(printf '%s' "$CLIENTID_SIGN_PASSWORD") >"$work/sign.log" 2>&1; then
    die "signing failed${timestamp:+ (timestamp from $timestamp)}: $(grep -v -e '^Connecting' -e '^$' "$work/sign.log" | head -1)"
  fi
  mv "$work/signed.exe" "$work/$name/clientid.exe"
fi

# The notices and the bill of materials of the exe as it ships, from one
# reading of the link map.
scripts/notices.py build/win32/clientid.map app/third-party.txt --sbom "$work/$name/clientid.spdx.json" \
  --exe "$work/$name/clientid.exe" --version "$version" --epoch "$epoch" >"$work/notices.txt" || exit 1
sed 's/$/\r/' "$work/notices.txt" >"$work/$name/THIRD-PARTY-NOTICES.txt"

# README.txt speaks of the ZIP it is in: its "#if signed" or its "#if unsigned"
# parts are kept, up to their "#endif"; its "# " comments go.
# A signed one names the signer where it says <signer>.
kind=${signing:+signed}
SIGNER=$signer awk -v kind="${kind:-unsigned}" '/^# / { next } /^#if / { skip = $2 !~ "^" kind "\r?$"; next }
  /^#endif/ { skip = 0; next } skip { next }
  { out = ""; rest = $0
    while ((at = index(rest, "<signer>")) > 0) { out = out substr(rest, 1, at - 1) ENVIRON["SIGNER"]; rest = substr(rest, at + 8) }
    print out rest }' "$work/$name/README.txt" >"$work/README.txt"
mv "$work/README.txt" "$work/$name/README.txt"

# The build record: what anyone needs to build the same executable again. It
# names no path and no time but the commit's, so it too follows from the commit.
compiler=$(sed -n 's/^CLIENTID_CXX_COMPILER:[A-Z]*=//p' build/win32/CMakeCache.txt)
commit=$(git rev-parse HEAD 2>/dev/null || echo "unknown (not a git clone)")
[ -z "$(git status --porcelain --untracked-files=no 2>/dev/null)" ] || commit+=", with uncommitted changes"
{
  echo "clientid $version for 32-bit Windows, made by scripts/release.sh${signing:+, then signed}"
  echo "commit: $commit"
  echo "SOURCE_DATE_EPOCH: $epoch"
  echo "Debian: $(. /etc/os-release && echo "$PRETTY_NAME"), $(cat /etc/debian_version)"
  echo "compiler: $("$compiler" --version | head -1)"
  dpkg-query -W -f='package: ${Package} ${Version}\n' g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 \
    binutils-mingw-w64-i686 mingw-w64-i686-dev cmake
} | sed 's/$/\r/' >"$work/$name/BUILDINFO.txt"

# Info-ZIP without extra fields (no owners, no access times), times in UTC.
texts=(README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt clientid.spdx.json BUILDINFO.txt)
files=("$name/clientid.exe" "${texts[@]/#/$name/}")
chmod 0755 "$work/$name/clientid.exe"
(cd "$work/$name" && chmod 0644 "${texts[@]}")
(cd "$work" && touch -d "@$epoch" "${files[@]}" && TZ=UTC zip -X -D -q "$name.zip" "${files[@]}" &&
  sha256sum "$name.zip" >"$name.zip.sha256")
mkdir -p "$outdir"
# Renamed into place, the checksum last: OUTDIR never holds half a release.
cp "$work/$name.zip" "$outdir/.$name.zip.part"
cp "$work/$name.zip.sha256" "$outdir/.$name.zip.sha256.part"
mv -f "$outdir/.$name.zip.part" "$outdir/$name.zip"
mv -f "$outdir/.$name.zip.sha256.part" "$outdir/$name.zip.sha256"
echo "$outdir/$name.zip${signing:+ (signed)}: $(cut -c1-64 "$outdir/$name.zip.sha256")"
