#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Prints the notices of the third-party code in clientid.exe, read from the
# link map MAP of its build: each object and archive member that the link took
# from outside the build, by component, with the Debian package and version it
# came from and its licence (the rows of TABLE, app/third-party.txt), then the
# text of each licence that asks to travel with binaries, as the package's
# Debian copyright file gives it. A member that no row names stops it with one
# line that names the member and what to add.
# Usage: scripts/notices.sh MAP TABLE
set -euo pipefail
export LC_ALL=C  # one order on every machine
map=$1 table=$2
die() { echo "notices.sh: $*" >&2; exit 1; }

# Objects loaded by path, and the archive members the link pulled in.
linked=$(sed -n -e 's/^LOAD \(\/.*\.o\)$/\1/p' -e 's/^\(\/[^ (]*\.a([^)]*)\).*/\1/p' "$map" | sort -u)
[ -n "$linked" ] || die "$map names nothing linked from outside the build"
declare -A members=() texts=() package_of=() version_of=()
while IFS= read -r item; do
  file=${item%%(*} member=''
  [ "$file" = "$item" ] || member=${item#*(} member=${member%)}
  name=${file##*/}${member:+($member)}
  row=''
  while read -r pattern licence text component; do
    # shellcheck disable=SC2053 # the pattern is a pattern
    [[ -z $pattern || $pattern == \#* || $name != $pattern ]] || { row="$licence $text $component"; break; }
  done <"$table"
  [ -n "${package_of[$file]:-}" ] || package_of[$file]=$(dpkg-query -S "$(realpath "$file")" | head -1 | cut -d: -f1)
  package=${package_of[$file]}
  [ -n "$row" ] || die "no licence known for $name (package $package): add a row for it to $table"
  read -r licence text component <<<"$row"
  [ -n "${version_of[$package]:-}" ] || version_of[$package]=$(dpkg-query -W -f='${Version}' "$package")
  version=${version_of[$package]}
  key="$component|$package $version|$licence"
  members[$key]+="${members[$key]:+, }$name"
  [ "$text" != text ] || texts[$licence]=$package
done <<<"$linked"

echo "Third-party code in clientid.exe"
echo "================================"
echo
echo "clientid.exe is linked statically: besides its own code it holds these parts"
echo "of its compiler's runtime, as the linker's map of this build lists them."
for key in $(printf '%s\n' "${!members[@]}" | sort | tr ' ' '\001'); do
  key=${key//$'\001'/ }
  IFS='|' read -r component package licence <<<"$key"
  echo
  echo "$component"
  echo "    Debian package: $package"
  echo "    licence: $licence"
  echo "    linked: ${members[$key]}" | fold -s -w 78 | sed -e 's/ *$//' -e '2,$s/^/        /'
done
for licence in $(printf '%s\n' "${!texts[@]}" | sort); do
  copyright=/usr/share/doc/${texts[$licence]}/copyright
  echo
  echo
  heading="$licence, as $copyright gives it"
  echo "$heading"
  echo "${heading//?/-}"
  echo
  # The first paragraph that gives the licence's text: its copyright and text.
  awk -v name="$licence" 'BEGIN { RS = "" } {
      n = split($0, line, "\n"); body = ""; held = ""; copy = 0
      for (i = 1; i <= n; i++) {
        if (line[i] ~ /^Copyright:/) { copy = 1; held = line[i]; continue }
        if (copy && line[i] ~ /^[ \t]/) { held = held "\n" line[i]; continue }
        copy = 0
        if (line[i] == "License: " name && i < n && line[i + 1] ~ /^ /) {
          for (j = i + 1; j <= n && line[j] ~ /^ /; j++) body = body (line[j] == " ." ? "" : substr(line[j], 2)) "\n"
          break
        }
      }
      if (body != "") { printf "%s\n\n%s", held, body; found = 1; exit }
    } END { exit !found }' "$copyright" || die "no text of $licence in $copyright"
done
