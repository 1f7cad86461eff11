#!/usr/bin/env bash
# Measures Tavelo's start-up against a plain Qt Widgets program with the same list and seventeen rows
# (bench/startup/PlainWindow.cpp), both optimised builds, under one Xvfb, in interleaved rounds.
# For each program it prints the medians of: time from process start to the mapped window, to the drawn
# window, the CPU time used until drawn, peak resident memory, and resident memory one second after
# drawing; then the ratios to the plain program. On a busy machine the wall-clock times scatter; the CPU
# time and the interleaving keep the comparison fair.
#
# Usage: scripts/measure-startup.sh [-n ROUNDS] [--build DIR] [--compare NAME=PROGRAM]...
#   -n ROUNDS              rounds (default 21); each runs every program once, in a rotating order
#   --build DIR            build folder for the optimised build (default build/startup-measure)
#   --compare NAME=PROGRAM also measure another Tavelo build, e.g. one of an earlier commit
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=21
build="$root/build/startup-measure"
names=()
commands=()
while (($#)); do
  case "$1" in
    -n) rounds=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --compare) names+=("${2%%=*}"); commands+=("${2#*=}"); shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

"$root/scripts/install-deps.sh" run
command -v Xvfb >/dev/null || { echo "Xvfb is missing (apt-get install xvfb)" >&2; exit 2; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVELO_BUILD_TESTS=OFF \
  -DTAVELO_BUILD_STARTUP_BENCH=ON >/dev/null
cmake --build "$build" --target tavelo startup_reference startup_probe >/dev/null
names=(plain tavelo "${names[@]}")
commands=("$build/bench/startup/startup_reference" "$build/app/tavelo" "${commands[@]}")

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# One X server for every run: a black root, no window manager, the display number handed back when ready.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -br -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 10 display_number <"$work/display" || { echo "Xvfb did not start" >&2; exit 1; }

# The programs see a home of their own (no window placement from earlier runs) and the simulated cameras.
mkdir -p "$work/home"
run_env=(env -u WAYLAND_DISPLAY DISPLAY=":$display_number" HOME="$work/home" QT_QPA_PLATFORM=xcb
         TAVELO_CAPTURE=simulated)
probe=("$build/bench/startup/startup_probe" --settle-ms 1000 --)

# A first run of each warms the file cache and is not counted.
for command in "${commands[@]}"; do "${run_env[@]}" "${probe[@]}" "$command" >/dev/null; done

count=${#names[@]}
for ((round = 0; round < rounds; ++round)); do
  for ((step = 0; step < count; ++step)); do
    i=$(((round + step) % count))
    line=$("${run_env[@]}" "${probe[@]}" "${commands[i]}")
    echo "${names[i]} $line" >>"$work/runs"
  done
done

median() {  # median of the field `$2` of the runs of program `$1`
  awk -v name="$1" -v key="$2" '$1 == name { for (f = 2; f <= NF; ++f) { split($f, kv, "="); if (kv[1] == key) print kv[2] } }' \
    "$work/runs" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "Medians of $rounds interleaved rounds (times from process start; memory resident):"
printf '%-10s %10s %10s %10s %10s %12s\n' program mapped_ms drawn_ms cpu_ms peak_MB settled_MB
declare -A mapped drawn cpu peak settled
for name in "${names[@]}"; do
  mapped[$name]=$(median "$name" mapped_ms)
  drawn[$name]=$(median "$name" drawn_ms)
  cpu[$name]=$(median "$name" cpu_ms)
  peak[$name]=$(median "$name" peak_kb)
  settled[$name]=$(median "$name" settled_kb)
  awk -v n="$name" -v m="${mapped[$name]}" -v d="${drawn[$name]}" -v c="${cpu[$name]}" -v p="${peak[$name]}" \
    -v s="${settled[$name]}" 'BEGIN { printf "%-10s %10.1f %10.1f %10.1f %10.1f %12.1f\n", n, m, d, c, p / 1024, s / 1024 }'
done
echo "Ratios to the plain program:"
for name in "${names[@]:1}"; do
  awk -v n="$name" -v m="${mapped[$name]}" -v d="${drawn[$name]}" -v c="${cpu[$name]}" -v s="${settled[$name]}" \
    -v pm="${mapped[plain]}" -v pd="${drawn[plain]}" -v pc="${cpu[plain]}" -v ps="${settled[plain]}" \
    'BEGIN { printf "%-10s mapped %.2fx  drawn %.2fx  cpu %.2fx  settled memory %.2fx\n", n, m / pm, d / pd, c / pc, s / ps }'
done
