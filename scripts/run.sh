#!/usr/bin/env bash
# Builds the system and runs it on the default root directory
# (${KRAV_ROOT:-$XDG_DATA_HOME/krav}), which is made from data/ on first use.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRAV_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
root="${KRAV_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/krav}"
scripts/make-root.sh "$root"
cp -f "$build/plugin/libdorvik.so" "$root/" 2>/dev/null || true
exec "$build/tools/messctl" collect --root "$root" --from "$(date +%d.%m.%Y)" --to "$(date -d '+6 days' +%d.%m.%Y)" "$@"
