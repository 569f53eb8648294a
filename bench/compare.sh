#!/usr/bin/env bash
# The comparisons with other programs, each as whole processes over the same
# data, timed by hyperfine:
#   messctl collect of December 2026 against remind -s1 over 100,000 reminders;
#   messctl balances of ten years from cold (no month balance files) against
#   ledger bal on the same journal as exported by messctl export-ledger.
# Builds the Release tree build-rel/ with the benchmarks; installs remind,
# ledger and hyperfine when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
"$(pwd)/scripts/deps.sh"
missing=()
for p in remind ledger hyperfine; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DKRAV_BENCH=ON -DKRAV_TESTS=OFF >/dev/null
cmake --build build-rel -j"$(nproc)" --target messctl make_compare_data
messctl=build-rel/tools/messctl
make_data=build-rel/bench/make_compare_data
work=$(mktemp -d /tmp/krav-compare-XXXXXX)
trap 'rm -rf "$work"' EXIT

count=${REMINDERS:-100000}
mkdir -p "$work/planner"
"$make_data" reminders "$work/planner" "$count" "$work/reminders.rem"
hyperfine --warmup 2 --runs "${RUNS:-10}" -N \
  -n "messctl collect, $count reminders, 31 days" \
  "$messctl collect --root $work/planner --user bench --from 01.12.2026 --to 31.12.2026" \
  -n "remind -s1, the same reminders" \
  "remind -s1 $work/reminders.rem 1 Dec 2026"

mkdir -p "$work/ledger"
"$make_data" ledger "$work/ledger"
"$messctl" export-ledger --root "$work/ledger" --user bench --from 01.01.2017 --to 31.12.2026 \
  --output "$work/ledger.journal"
hyperfine --warmup 2 --runs "${RUNS:-10}" \
  --prepare "find $work/ledger/Users/bench/Plan -name '*.ost' -delete" \
  -n "messctl balances, ten years, cold" \
  "$messctl balances --root $work/ledger --user bench --from 01.01.2017 --to 31.12.2026" \
  -n "ledger bal, the same journal" \
  "ledger -f $work/ledger.journal bal"
