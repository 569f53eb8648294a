#!/usr/bin/env bash
# Installs, for the current user, the launcher of the planner (with its
# icon) and the autostart entry that starts the stand-in shell on the same
# root at every log-in. Argument: the root directory holding mess and
# shellhost. Follows XDG_DATA_HOME and XDG_CONFIG_HOME.
set -euo pipefail
here="$(cd "$(dirname "$0")/../data/desktop" && pwd)"
root="$(cd "$1" && pwd)"
data="${XDG_DATA_HOME:-$HOME/.local/share}"
config="${XDG_CONFIG_HOME:-$HOME/.config}"
mkdir -p "$data/applications" "$data/icons/hicolor/scalable/apps" "$config/autostart"

# An Exec value: the path in quotes; inside them \ " ` $ take a backslash,
# the file's own escaping doubles every backslash once more, "%" is doubled.
exec_of() {
  printf '"%s"' "$(printf '%s' "$1" | sed -e 's/\\/\\\\\\\\/g' -e 's/"/\\\\"/g' -e 's/`/\\\\`/g' \
    -e 's/\$/\\\\$/g' -e 's/%/%%/g')"
}

# Copies a template, its Exec line set to the given value.
fill() {
  local template="$1" exec="$2" target="$3" line
  while IFS= read -r line; do
    case "$line" in
      Exec=*) printf 'Exec=%s\n' "$exec" ;;
      *) printf '%s\n' "$line" ;;
    esac
  done < "$template" > "$target.tmp"
  mv "$target.tmp" "$target"
}

fill "$here/krav-mess.desktop.in" "$(exec_of "$root/mess")" "$data/applications/krav-mess.desktop"
fill "$here/krav-shellhost.desktop.in" "$(exec_of "$root/shellhost")" "$config/autostart/krav-shellhost.desktop"
cp "$here/krav-mess.svg" "$data/icons/hicolor/scalable/apps/krav-mess.svg"
echo "Launcher: $data/applications/krav-mess.desktop; autostart: $config/autostart/krav-shellhost.desktop"
