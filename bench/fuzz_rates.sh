#!/usr/bin/env bash
# Inputs per second of every fuzz target: each runs SECONDS (default 30) on a copy of its corpus
# (clang, libFuzzer, ASan + UBSan, as ./test.sh fuzzes), and the table shows libFuzzer's own
# exec/s at the end of the run beside the inputs done and the CPU time they took.
#
#   bench/fuzz_rates.sh [SECONDS] [TARGET...]      (build folder: $FUZZ_BUILD, default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
build=${FUZZ_BUILD:-build-fuzz}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(sed -n 's/^ *"\([a-z_]*\)|.*/\1/p' fuzz/CMakeLists.txt)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQZH_FUZZ=ON >/dev/null
cmake --build "$build" --target $(printf '%s_fuzz ' "${targets[@]}") >/dev/null

echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores; ${seconds} s per target"
printf '| %-12s | %10s | %10s | %14s |\n' "Target" "exec/s" "inputs" "CPU ms/input"
printf '|%s|%s|%s|%s|\n' "--------------" "------------" "------------" "----------------"
for t in "${targets[@]}"; do
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$t" "$work/corpus"
  args=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -artifact_prefix="$work/"
    "$work/corpus")
  [ -f "fuzz/$t.dict" ] && args+=(-dict="$PWD/fuzz/$t.dict")
  /usr/bin/time -f '%U %S' -o "$work/cpu" "$build/fuzz/${t}_fuzz" "${args[@]}" >"$work/log" 2>&1 || true
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log" | tail -n 1)
  inputs=$(sed -n 's/^#\([0-9]*\).*/\1/p' <<<"$done_line")
  rate=$(sed -n 's/.*exec\/s: \([0-9]*\).*/\1/p' <<<"$done_line")
  cpu=$(awk '{print $1 + $2}' "$work/cpu")
  per=$(awk -v c="$cpu" -v n="${inputs:-0}" 'BEGIN { if (n > 0) printf "%.3f", 1000 * c / n; else print "-" }')
  printf '| %-12s | %10s | %10s | %14s |\n' "$t" "${rate:--}" "${inputs:--}" "$per"
  rm -rf "$work"
done
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
