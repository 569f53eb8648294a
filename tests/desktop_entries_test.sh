#!/usr/bin/env bash
# The launcher and the autostart entry that scripts/install-desktop.sh writes
# pass desktop-file-validate, for a root whose path needs every escape.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/Кравитор \$HOME \"q\" b\\s % & \`x\`"
mkdir -p "$root"
XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" "$here/scripts/install-desktop.sh" "$root" >/dev/null
launcher="$work/data/applications/krav-mess.desktop"
autostart="$work/config/autostart/krav-shellhost.desktop"
desktop-file-validate "$launcher" "$autostart"
test -s "$work/data/icons/hicolor/scalable/apps/krav-mess.svg"
grep -q '^Name\[ru\]=Кравитор: планировщик$' "$launcher"
grep -q '^Exec=".*/mess"$' "$launcher"
grep -q '^Exec=".*/shellhost"$' "$autostart"
echo "1 passed, 0 failed"
