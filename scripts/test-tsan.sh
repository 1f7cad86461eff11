#!/usr/bin/env bash
# Builds the streaming and graph tests with ThreadSanitizer in build/tsan and runs them: the simulated
# camera's streamer, V4L2 streaming on the fake kernel, the sample grabber, the windowless renderer and
# TFCamera starting and stopping its graph. A data race fails the run. scripts/test.sh calls it after
# the AddressSanitizer run; it also runs on its own (after scripts/install-deps.sh test).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/tsan"

# Test suites whose code runs on more than one thread; every other suite stays single-threaded.
suites=(
  GraphRig SimulatedFaults                         # platform_tests: grabber, renderer, simulated streamer
  MuxRig CaptureRig                                # platform_tests: capture file writer thread, unplug mid-recording
  OnSimulated Objects ReleaseWhileNotifying Graph  # camera_tests: TFCamera's graph and frame callback
  StartStopCycles                                  # camera_tests: start/stop cycles on both paths while frames flow
  V4l2StreamingTest V4l2GraphTest FakeKernelTest   # v4l2_tests: streaming on the fake kernel
)
targets=(platform_tests camera_tests v4l2_tests)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# -O1 keeps the instrumented streaming loops fast enough to deliver frames at their rates.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" \
  -DTAVELO_TSAN=ON -DTAVELO_WERROR=ON -DTAVELO_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build "$build" --target "${targets[@]}"

pattern="(^|/)($(IFS='|'; echo "${suites[*]}"))\."
ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)" -R "$pattern" --no-tests=error
