#!/usr/bin/env bash
# Installs what is missing, builds Tavelo with AddressSanitizer and UndefinedBehaviorSanitizer, warnings
# as errors, and runs every test under them (widgets on Qt's offscreen platform); then the streaming and
# graph tests under ThreadSanitizer (scripts/test-tsan.sh), and replays the settings file fuzzer
# (scripts/fuzz-ini.sh), and builds, installs and checks the Debian package (scripts/test-package.sh).
# Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh" test
build="$root/build/test"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVELO_SANITIZE=ON -DTAVELO_WERROR=ON \
  -DTAVELO_BUILD_BENCH=ON "${launcher[@]}"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)"
"$root/scripts/test-tsan.sh"
# The settings file fuzzer: replays its seed corpus, then keeps mutating for a few seconds.
"$root/scripts/fuzz-ini.sh" 20
# The Debian package: built in Release, installed, run and its desktop files validated.
"$root/scripts/test-package.sh"
