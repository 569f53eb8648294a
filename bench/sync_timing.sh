#!/usr/bin/env bash
# The synchronisation's speed against a local Radicale, Release build: the
# first pass of 1,000 reminders into an empty calendar, then a pass with
# nothing changed, each as the whole messctl process (hyperfine for the
# second). Installs what it needs through scripts/deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
for tool in hyperfine curl; do
  command -v "$tool" >/dev/null || {
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "$tool"
  }
done
cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DKRAV_BENCH=ON -DKRAV_TESTS=OFF >/dev/null
cmake --build build-rel -j"$(nproc)" --target messctl make_compare_data
work=$(mktemp -d /tmp/krav-sync-timing-XXXXXX)
port=$((20000 + RANDOM % 20000))
echo "test:secret" > "$work/users"
/usr/bin/radicale --server-hosts "127.0.0.1:$port" --storage-filesystem-folder "$work/store" \
  --auth-type htpasswd --auth-htpasswd-filename "$work/users" --auth-htpasswd-encryption plain \
  >"$work/radicale.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done
url="http://127.0.0.1:$port/test/cal/"
curl -s -o /dev/null -u test:secret -X MKCALENDAR "$url"
count=${REMINDERS:-1000}
build-rel/bench/make_compare_data reminders "$work/root" "$count" /dev/null
dir="$work/root/Users/bench"
printf '[Sync]\r\nUrl=%s\r\nLogin=test\r\n' "$url" > "$dir/krav2000.ini"
printf 'secret\n' > "$dir/sync.pass"
chmod 600 "$dir/sync.pass"
echo "first pass of $count reminders into an empty calendar:"
start=$(date +%s%N)
build-rel/tools/messctl sync --root "$work/root" --user bench
end=$(date +%s%N)
echo "  $(( (end - start) / 1000000 )) ms"
hyperfine --warmup 1 --runs "${RUNS:-10}" -N -n "a pass with nothing changed ($count reminders)" \
  "build-rel/tools/messctl sync --root $work/root --user bench"
