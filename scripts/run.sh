#!/usr/bin/env bash
# Builds the system and runs the stand-in shell on the default root directory
# (${KRAV_ROOT:-$XDG_DATA_HOME/krav}), which the template in data/ fills in on
# first use. Arguments go to the shell host (for instance --headless).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRAV_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
root="${KRAV_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/krav}"
scripts/make-root.sh "$root"
install -m 0755 "$build/plugin/libdorvik.so" "$build/host/shellhost" "$build/tools/messctl" "$root/"
echo "Root directory: $root"
headless=""
[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && headless="--headless" && echo "No desktop session: running headless."
exec "$root/shellhost" $headless "$@"
