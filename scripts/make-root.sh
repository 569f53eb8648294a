#!/usr/bin/env bash
# Installs the template in data/root into a root directory, adding only the
# files it lacks, so that a user's own files are never overwritten. Texts of
# the template are UTF-8 with LF; in the root they are cp1251 with CR LF.
set -euo pipefail
template="$(cd "$(dirname "$0")/../data/root" && pwd)"
root="$1"
mkdir -p "$root"
mkdir -p "$root/Temp" "$root/Users"
cd "$template"
find . -type d | while read -r d; do mkdir -p "$root/$d"; done
find . -type f ! -name .keep | while read -r f; do
  [ -e "$root/$f" ] && continue
  case "$f" in
    *.ini|*.inf|*.htm|*.dat|*.str|*.acs) iconv -f UTF-8 -t CP1251 "$f" | sed 's/$/\r/' > "$root/$f" ;;
    *) cp "$f" "$root/$f" ;;
  esac
done
