#!/usr/bin/env bash
# Builds the settings file fuzzer (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and
# runs it on the seed corpus in tests/fuzz/corpus/ini for a while. Exits non-zero when it finds a fault;
# the input that caused it is left in build/fuzz/ as crash-* (or timeout-*, leak-*).
# Usage: scripts/fuzz-ini.sh [seconds, default 10] [more libFuzzer options, e.g. -jobs=2]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-10}
shift || true
"$root/scripts/install-deps.sh" test
build="$root/build/fuzz"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTAVELO_FUZZ=ON -DTAVELO_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target ini_fuzzer

# New inputs go to a scratch corpus; the seeds in the tree are only read.
corpus="$build/corpus-ini"
mkdir -p "$corpus"
cd "$build"
"$build/tests/fuzz/ini_fuzzer" -max_total_time="$seconds" -max_len=200000 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$@" "$corpus" "$root/tests/fuzz/corpus/ini"
