#!/usr/bin/env bash
# Two figures of qzh900ctl as a shell and a service meet it:
#   1. bash completion of an item name ("qzh900ctl run MNWriteAnd<Tab>"): milliseconds per Tab,
#      the median of 5;
#   2. the journal of the reader service's command (`listen --follow --json --dedup 2000`)
#      against the simulator with 3 tags in the field for SECONDS (default 30): bytes of
#      standard output and standard error per tag per minute, and the events by kind.
#
#   bench/completion_journal_bench.sh [SECONDS]
# Programs from $BUILD (default build); CTL=... and COMPLETION=... measure another qzh900ctl or
# completion file (an earlier build, for a before/after figure).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${BUILD:-build}
ctl=$(realpath "${CTL:-$build/cli/qzh900ctl}")
sim=$(realpath "${SIM:-$build/sim/qzh900-sim}")
completion=$(realpath "${COMPLETION:-packaging/bash-completion/qzh900ctl}")
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME" "$work/bin"
ln -s "$ctl" "$work/bin/qzh900ctl"
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# 1. Completion.
# shellcheck disable=SC2016
ms=$(PATH="$work/bin:$PATH" bash --norc -c '
  source "$1"
  times=()
  for _ in 1 2 3 4 5; do
    COMP_WORDS=(qzh900ctl run MNWriteAnd); COMP_CWORD=2
    start=$(date +%s%N); _qzh900ctl; end=$(date +%s%N)
    [ "${COMPREPLY[*]}" = MNWriteAndProgramCmd1 ] || { echo "completed: ${COMPREPLY[*]}" >&2; exit 1; }
    times+=($(((end - start) / 1000000)))
  done
  printf "%s\n" "${times[@]}" | sort -n | sed -n 3p
' _ "$completion")
echo "completion of an item name: $ms ms per Tab (median of 5)"

# 2. The service's journal.
"$sim" --com 0 --tag fdxb:392:123456789012 --tag em:0504030201 --tag fdxb:392:100000000001 \
  </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
device=
for _ in $(seq 1 500); do
  device=$(sed -n 's/^qzh900-sim: listening on \([^ ]*\) .*/\1/p' "$work/sim.out")
  [ -n "$device" ] && break
  sleep 0.01
done
[ -n "$device" ] || { echo "the simulator did not start" >&2; exit 1; }
"$ctl" listen --follow --json --dedup 2000 --port "$device" >"$work/journal" 2>&1 &
pid=$!
sleep "$seconds"
kill -TERM "$pid"
wait "$pid" || true
bytes=$(stat -c %s "$work/journal")
echo "journal of listen --follow --json --dedup 2000, 3 tags, $seconds s: $bytes bytes," \
  "$(awk -v b="$bytes" -v s="$seconds" 'BEGIN { printf "%.0f", b / 3 / (s / 60) }') bytes per tag per minute"
echo "events: $(grep -o '"event":"[a-z_]*"' "$work/journal" | sort | uniq -c | awk '{ printf "%s %s, ", $2, $1 }' | sed 's/"event"://g; s/, $//')"
