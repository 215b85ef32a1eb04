#!/usr/bin/env bash
# Builds everything (Linux, Linux with sanitizers, Windows) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all
jobs=$(nproc)
# The plain Linux build: setup-sim and the benchmarks (the tests run in the sanitizer build).
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
# The sanitizer build runs the tests; the tests of Setup.exe read build/win32.
ctest --preset asan -j"$jobs"
