#!/usr/bin/env bash
# Installs what is missing, builds Tavelo with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test under them (widgets on Qt's offscreen platform). Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh" test
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVELO_SANITIZE=ON -DTAVELO_BUILD_BENCH=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)"
