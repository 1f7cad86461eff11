#!/usr/bin/env bash
# Builds the Debian package from a Release build of only the program (build/package), checks what it holds,
# installs it and runs the installed program: the command line on the simulated cameras and the window on
# Xvfb. As root on a machine without Tavelo, the package goes in through apt (so its dependencies must
# resolve) and is purged afterwards; otherwise it runs from the unpacked package. The installed desktop
# entry and metainfo are validated with their tools, and `cmake --install` into a scratch DESTDIR with
# another prefix must give the same files with the unit pointing at that prefix.
# scripts/test.sh calls it; it also runs on its own (after scripts/install-deps.sh test).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/package"
app_id=org.tavelo.Tavelo

scratch=$(mktemp -d)
installed_by_apt=0
cleanup() {
  if ((installed_by_apt)); then
    dpkg --purge tavelo >/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "test-package: $*" >&2
  exit 1
}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVELO_BUILD_TESTS=OFF \
  -DTAVELO_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target tavelo
rm -f "$build"/tavelo_*.deb
(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$build"/tavelo_*.deb)
((${#debs[@]} == 1)) && [[ -f ${debs[0]} ]] || fail "expected one tavelo_*.deb in $build"
deb=${debs[0]}
echo "test-package: built $(basename "$deb")"

# The package holds the program and the files desktops, software centres, man and systemd read; nothing
# built for testing. Paths are relative to the prefix.
expected=(
  bin/tavelo
  lib/systemd/user/tavelo-watch.service
  share/applications/$app_id.desktop
  share/icons/hicolor/scalable/apps/$app_id.svg
  share/metainfo/$app_id.metainfo.xml
)
if [[ -f "$root/docs/tavelo.1" ]]; then
  expected+=(share/man/man1/tavelo.1)
fi
expected_list=$(printf '%s\n' "${expected[@]}" | sort)
packaged_list=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort)
diff <(echo "$expected_list") <(echo "$packaged_list") >&2 || fail "package contents differ (< expected, > packaged)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
for field in "Package=tavelo" "Version=$version" "Section=video"; do
  actual=$(dpkg-deb -f "$deb" "${field%%=*}")
  [[ $actual == "${field#*=}" ]] || fail "control field ${field%%=*} is '$actual', expected '${field#*=}'"
done
# dpkg-shlibdeps computed the libraries: without them apt would install a program that cannot start.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6 (>=' || fail "Depends lacks the computed Qt libraries"

# Validation reads the unpacked package, so a system-wide install never mixes in other programs' files.
unpacked="$scratch/root"
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$app_id.desktop" || fail "desktop entry invalid"
# validate-tree also checks that the metainfo's launchable names a desktop entry that is installed.
appstreamcli validate-tree --no-net "$unpacked" || fail "AppStream metadata invalid"
grep -qx 'ExecStart=/usr/bin/tavelo --watch ${TAVELO_WATCH_FILE}' "$unpacked/usr/lib/systemd/user/tavelo-watch.service" ||
  fail "the user unit does not start the installed program"
file "$unpacked/usr/bin/tavelo" | grep -q 'ELF 64-bit.*stripped' || fail "bin/tavelo is not a stripped executable"

# Staged installs honour DESTDIR, and the unit follows the prefix chosen at install time.
staged="$scratch/destdir"
DESTDIR="$staged" cmake --install "$build" --prefix /opt/tavelo >/dev/null
staged_list=$(cd "$staged/opt/tavelo" && find . -type f | sed 's|^\./||' | sort)
diff <(echo "$expected_list") <(echo "$staged_list") >&2 || fail "DESTDIR install differs (< expected, > installed)"
grep -q '^ExecStart=/opt/tavelo/bin/tavelo ' "$staged/opt/tavelo/lib/systemd/user/tavelo-watch.service" ||
  fail "the unit in a /opt/tavelo install does not name /opt/tavelo/bin/tavelo"

if [[ $(id -u) -eq 0 ]] && ! dpkg-query -W -f='${Status}' tavelo 2>/dev/null | grep -q 'install ok installed'; then
  installed_by_apt=1
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log" >&2; fail "apt-get could not install the package"; }
  program=/usr/bin/tavelo
  echo "test-package: installed with apt-get"
else
  program="$unpacked/usr/bin/tavelo"
  echo "test-package: running from the unpacked package (not root, or Tavelo already installed)"
fi
missing_libraries=$(ldd "$program" | grep 'not found' || true)
[[ -z $missing_libraries ]] || fail "the installed program misses libraries: $missing_libraries"
# systemd's own check of the unit as installed (it also wants ExecStart's program to exist there).
if ((installed_by_apt)) && command -v systemd-analyze >/dev/null; then
  mkdir -m 700 "$scratch/run"
  XDG_RUNTIME_DIR="$scratch/run" systemd-analyze verify --user --man=no \
    /usr/lib/systemd/user/tavelo-watch.service || fail "systemd rejects the user unit"
fi

# The command line needs no display: every run has none, and its own HOME.
mkdir -p "$scratch/home"
run_tavelo() {
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$scratch/home" TAVELO_CAPTURE=simulated \
    timeout 60 "$program" "$@" 2>&1
}
expect_status() {
  local want=$1
  shift
  local output status=0
  output=$(run_tavelo "$@") || status=$?
  printf '$ tavelo'
  printf ' %q' "$@"
  echo
  echo "$output" | sed 's/^/  /'
  ((status == want)) || fail "tavelo $* exited with $status, expected $want"
}

expect_status 0 --help
camera=$(run_tavelo --list | awk -F'\t' 'NF >= 3 { print $1; exit }')
[[ -n $camera ]] || fail "tavelo --list shows no simulated camera"
settings="$scratch/desk.vcs"
expect_status 0 --list
expect_status 0 --list --json
expect_status 0 --camera "$camera" --set brightness=140
expect_status 0 --camera "$camera" --get brightness
[[ $(run_tavelo --camera "$camera" --get brightness) == *=140* ]] || fail "a second run does not see the value --set wrote"
expect_status 0 --camera "$camera" --save "$settings"
[[ -s $settings ]] || fail "--save wrote no file"
expect_status 0 --camera "$camera" --load "$settings"
expect_status 3 --camera "no such camera" --get

# A short recording with sound, read back by FFmpeg's own prober: the codec libraries came with the package.
expect_status 0 --list compressors
expect_status 0 --list audio
clip="$scratch/clip.avi"
expect_status 0 --camera "$camera" --record "$clip" --seconds 2 --compressor "MPEG-4 Part 2" --audio "Simulated Microphone"
if command -v ffprobe >/dev/null; then
  ffprobe -hide_banner "$clip" 2>&1 | sed 's/^/  /'
  streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$clip" | sort | tr '\n' ' ')
  [[ $streams == "audio video " ]] || fail "the recording holds '$streams', not one video and one audio stream"
fi

# The window: Qt's platform plugin and the icons must load from the installed libraries. Still running
# after five seconds means it came up; a copy already running elsewhere ends it at once (single instance).
if command -v xvfb-run >/dev/null; then
  status=0
  HOME="$scratch/home" TAVELO_CAPTURE=simulated xvfb-run -a timeout 5 "$program" >"$scratch/window.log" 2>&1 ||
    status=$?
  if ((status == 124)); then
    echo "test-package: the installed window started and stayed up"
  elif ((status == 0)) && pgrep -x tavelo >/dev/null; then
    echo "test-package: another Tavelo runs on this machine, so the window ended at once (not a failure)"
  else
    cat "$scratch/window.log" >&2
    fail "the installed window ended with status $status"
  fi
fi
echo "test-package: package OK"
