#!/usr/bin/env bash
# Builds the package in its normal and its sanitizer configuration and runs
# every test of both through CTest; exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"

jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${ZIROK_FUZZ_SECONDS:-60}

echo "== normal configuration (gcc)"
cmake -S . -B build/normal -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
cmake --build build/normal -j "$jobs"
ctest --test-dir build/normal --output-on-failure -j "$jobs"

echo "== sanitizer configuration (clang, ASan+UBSan)"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DZIROK_SANITIZE=ON -DZIROK_FUZZ=ON -DZIROK_BENCH=OFF \
      -DZIROK_FUZZ_SECONDS="$fuzz_seconds"
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"


echo "all tests passed"
