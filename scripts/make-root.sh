#!/usr/bin/env bash
# Makes a root directory from the template in data/ unless it exists already.
# The template is kept in UTF-8 with LF; the root holds cp1251 texts with CR LF.
set -euo pipefail
template="$(cd "$(dirname "$0")/../data" && pwd)"
root="$1"
[ -f "$root/krav2000.ini" ] && exit 0
mkdir -p "$root/Temp"
(cd "$template/root" && find . -type d) | while read -r d; do mkdir -p "$root/$d"; done
(cd "$template/root" && find . -type f) | while read -r f; do
  iconv -f UTF-8 -t CP1251 "$template/root/$f" | sed 's/$/\r/' > "$root/$f"
done
echo "Made the root directory $root"
