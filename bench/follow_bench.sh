#!/usr/bin/env bash
# Follow mode as a reader service runs it: `qzh900ctl listen --follow --json` against the
# simulator in flood mode with 150 distinct tags.
#   1. at 115200 bit/s for SECONDS (default 60): id events against the module's 'I' frames, CPU
#      of the tool, its RSS after 10 s and at the end;
#   2. without wire time (frames as fast as the pty carries them) for 10 s: id events per second
#      and frames lost, beside plain-text `listen` in the same conditions;
#   3. the CPU of a follow run waiting 10 s for a device that has vanished.
#
#   bench/follow_bench.sh [SECONDS]        (programs from $BUILD, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${BUILD:-build}
ctl=$build/cli/qzh900ctl
sim=$build/sim/qzh900-sim
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  exec 7>&- 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

tags=()
for n in $(seq 1 150); do tags+=(--tag "fdxb:392:$((100000 + n))"); done

# start_sim ARGS...: the simulator with its console on a FIFO (fd 7); sets sim_pid and device.
start_sim() {
  rm -f "$work/console" "$work/sim.out"
  mkfifo "$work/console"
  "$sim" --com 0 --no-tags "${tags[@]}" "$@" <"$work/console" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  exec 7>"$work/console"
  for _ in $(seq 1 500); do
    device=$(sed -n 's/^qzh900-sim: listening on \([^ ]*\) .*/\1/p' "$work/sim.out")
    [ -n "$device" ] && return 0
    sleep 0.01
  done
  echo "the simulator did not start" >&2
  exit 1
}
stop_sim() {
  echo quit >&7
  exec 7>&-
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
}
sim_frames() {  # the module's count of 'I' frames sent
  echo stats >&7
  for _ in $(seq 1 500); do
    local n
    n=$(sed -n "s/.*'I' frames \([0-9]*\).*/\1/p" "$work/sim.out" | tail -n 1)
    if [ -n "$n" ] && [ "$(grep -c "'I' frames" "$work/sim.out")" -ge "$1" ]; then
      echo "$n"
      return 0
    fi
    sleep 0.01
  done
  echo "?"
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
tick=$(getconf CLK_TCK)

echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores"

# 1. line rate
start_sim --baud 115200 --flood
"$ctl" listen --follow --json --port "$device" --baud 115200 >"$work/follow.json" 2>"$work/follow.err" &
pid=$!
sleep 10
rss10=$(rss_kib "$pid")
t0=$(cpu_ticks "$pid")
sleep "$((seconds - 10))"
t1=$(cpu_ticks "$pid")
rssEnd=$(rss_kib "$pid")
kill -TERM "$pid"
wait "$pid" || true
sent=$(sim_frames 1)
stop_sim
got=$(grep -c '"event":"id"' "$work/follow.json" || true)
cpu=$(awk -v a="$t0" -v b="$t1" -v s="$((seconds - 10))" -v t="$tick" \
  'BEGIN { printf "%.1f", 100 * (b - a) / t / s }')
echo "follow --json at 115200 bit/s, ${seconds} s, 150 distinct IDs:"
echo "  id events ${got}, 'I' frames sent by the module ${sent}, lost $((sent - got))"
echo "  CPU of the tool after the first 10 s: ${cpu} % of a core"
echo "  RSS after 10 s ${rss10} KiB, at the end ${rssEnd} KiB"

# 2. without wire time, JSON follow beside plain listen
for mode in json text; do
  start_sim --baud 115200 --flood --no-wire-time
  if [ "$mode" = json ]; then
    "$ctl" listen --follow --json --port "$device" --baud 115200 >"$work/fast.out" 2>/dev/null &
    pid=$!
    sleep 10
    kill -TERM "$pid"
    wait "$pid" || true
    got=$(grep -c '"event":"id"' "$work/fast.out" || true)
  else
    "$ctl" listen 10 --port "$device" --baud 115200 >"$work/fast.out" 2>/dev/null || true
    got=$(grep -c '^ID: ' "$work/fast.out" || true)
  fi
  sent=$(sim_frames 1)
  stop_sim
  echo "  no wire time, ${mode}: $((got / 10)) frames/s, received ${got} of ${sent} sent, lost $((sent - got))"
done

# 3. waiting for a vanished device
start_sim --baud 115200
"$ctl" listen --follow --port "$device" --baud 115200 >"$work/wait.out" 2>"$work/wait.err" &
pid=$!
for _ in $(seq 1 1000); do grep -q '^ID' "$work/wait.out" 2>/dev/null && break; sleep 0.01; done
echo hangup >&7
for _ in $(seq 1 1000); do [ -e "$device" ] || break; sleep 0.01; done
sleep 1
t0=$(cpu_ticks "$pid")
sleep 10
t1=$(cpu_ticks "$pid")
kill -TERM "$pid"
wait "$pid" || true
stop_sim
cpu=$(awk -v a="$t0" -v b="$t1" -v t="$tick" 'BEGIN { printf "%.2f", 100 * (b - a) / t / 10 }')
echo "  waiting 10 s for a vanished device: ${cpu} % of a core"
