#!/bin/sh
# Runs a test program as the unprivileged user "nobody" when started as root
# (as CI runs), so that files without read permission really cannot be read.
# The program is copied to a folder nobody can reach, wherever the build is.
if [ "$(id -u)" != 0 ]; then
  exec "$@"
fi
program="$1"
shift
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
cp "$program" "$dir/"
chmod 755 "$dir/$(basename "$program")"
cd /tmp
setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all -- "$dir/$(basename "$program")" "$@"
