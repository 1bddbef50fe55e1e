#!/usr/bin/env bash
# Builds (installing what is missing), starts the simulator on COM9 and runs the tool against it.
set -euo pipefail
cd "$(dirname "$0")"
BUILD=${BUILD_DIR:-build}
if [ ! -x "$BUILD/cli/qzh900ctl" ] || [ ! -x "$BUILD/sim/qzh900-sim" ]; then
  ./test.sh >/dev/null 2>&1 || true
fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)" >/dev/null

"$BUILD/sim/qzh900-sim" --com 9 &
SIM=$!
trap 'kill $SIM 2>/dev/null; wait $SIM 2>/dev/null' EXIT
for _ in $(seq 50); do
  grep -qs '^COM9=' "${XDG_CONFIG_HOME:-$HOME/.config}/norvik/ports.ini" && break
  sleep 0.1
done

if [ -x "$BUILD/shell/QZH900Tool" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  "$BUILD/shell/QZH900Tool" "$@"
else
  [ -x "$BUILD/shell/QZH900Tool" ] && echo "No display: running the headless identification instead."
  "$BUILD/cli/qzh900ctl" identify --port COM9 "$@"
fi
