#!/usr/bin/env bash
# Builds (installing what is missing when nothing is built yet), starts the simulated module on
# COM9 and opens the tool against it. Without a display, identifies the module from the command
# line instead. Arguments go to the tool.
set -euo pipefail
cd "$(dirname "$0")"
BUILD=${BUILD_DIR:-build}
TOOL=$BUILD/shell/QZH900Tool
SIM=$BUILD/sim/qzh900-sim
CTL=$BUILD/cli/qzh900ctl

if [ ! -x "$TOOL" ] || [ ! -x "$SIM" ] || [ ! -x "$CTL" ]; then
  echo "Nothing built yet: installing what is missing, building and testing (./test.sh)..."
  ./test.sh >/dev/null 2>&1 || echo "./test.sh reported failures; building what can be built."
fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target QZH900Tool qzh900-sim qzh900ctl >/dev/null

CONFIG=${XDG_CONFIG_HOME:-$HOME/.config}
REGISTRY=$CONFIG/norvik/ports.ini
SETTINGS=$CONFIG/norvik/QZH900Tool/QZH900Tool.ini
# On the very first run the open-port dialog offers the simulator's port.
if [ ! -e "$SETTINGS" ]; then
  mkdir -p "$(dirname "$SETTINGS")"
  printf '[ComDebug]\nPort=9\nLastWorkingPort=9\n' >"$SETTINGS"
fi

"$SIM" --com 9 </dev/null >"$BUILD/qzh900-sim.log" 2>&1 &
SIM_PID=$!
trap 'kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -qs '^COM9=' "$REGISTRY" && break
  kill -0 "$SIM_PID" 2>/dev/null || break
  sleep 0.1
done
if ! grep -qs '^COM9=' "$REGISTRY"; then
  echo "The simulator did not register COM9; see $BUILD/qzh900-sim.log" >&2
  exit 1
fi
echo "Simulated QZH-900 on COM9 (log: $BUILD/qzh900-sim.log)."

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  EXE=$(realpath "$TOOL")
  "$EXE" "$@" || true
  # The tool restarts itself to change its language: stay while an instance of it runs.
  running() {
    local p
    for p in $(pgrep -x QZH900Tool || true); do
      [ "$(readlink "/proc/$p/exe" 2>/dev/null)" = "$EXE" ] && return 0
    done
    return 1
  }
  while running; do sleep 0.5; done
else
  echo "No display: identifying the simulated module from the command line instead."
  "$CTL" identify --port COM9
fi
