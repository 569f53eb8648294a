#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test, then builds the fuzz targets with clang and runs each for
# a short, fixed number of inputs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=build-test
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKRAV_SANITIZE=ON -DKRAV_TESTS=ON -DKRAV_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

# The fuzz targets (clang's libFuzzer), each for a short, fixed number of inputs.
fuzz=build-fuzz
cmake -S . -B "$fuzz" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DKRAV_FUZZ=ON -DKRAV_TESTS=OFF >/dev/null
cmake --build "$fuzz" -j"$(nproc)" --target krav_fuzzers
ctest --test-dir "$fuzz" --output-on-failure -j"$(nproc)"
