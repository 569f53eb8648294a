#!/usr/bin/env bash
# Builds the system and runs it on the default root directory
# (${KRAV_ROOT:-$XDG_DATA_HOME/krav}), which the template in data/ fills in on
# first use: the stand-in shell keeps running in the background (reminders
# fire while the planner is closed) and the planner window mess opens.
# Without a desktop session only the shell runs, headless. Arguments go to
# the shell host (for instance --headless).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRAV_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
root="${KRAV_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/krav}"
scripts/make-root.sh "$root"
install -m 0755 "$build/plugin/libdorvik.so" "$build/host/shellhost" "$build/tools/messctl" \
  "$build/tools/messctl-full" "$build/app/mess" "$root/"
echo "Root directory: $root"
# The planner in the desktop's menu, and the shell at every log-in.
scripts/install-desktop.sh "$root"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || [[ " $* " == *" --headless "* ]]; then
  echo "No desktop session: running the shell headless."
  exec "$root/shellhost" --headless "$@"
fi
# One shell per root: a second start of the host ends by itself.
setsid "$root/shellhost" "$@" >/dev/null 2>&1 < /dev/null &
sleep 1
exec "$root/mess"
