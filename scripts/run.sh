#!/usr/bin/env bash
# Installs what is missing, builds an optimised Tavelo and starts it. Arguments go to the program
# (for example "trace"). Without a camera it runs on the simulated cameras.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh" run
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVELO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target tavelo
exec "$build/app/tavelo" "$@"
