#!/usr/bin/env bash
# One benchmark report: builds in release mode, runs every benchmark once and prints one table of
# every figure measured in this run, each beside its reference measured in the same run where
# there is one, under a description of the machine.
#
#   bench/report.sh            prints the report (Markdown)
#   bench/report.sh --write    also puts it into BENCHMARKS.md (between its report markers)
#
# Environment: BUILD_DIR (default build-bench), SOAK_SECONDS (default 60; 3600 for the hour),
# FLOOD_SECONDS (default 30), ROUNDS (exchange round trips, default 3000), STARTS (start-ups
# timed, default 7), LEDGER_TAGS (tags per station of the ledger benchmark, default 250),
# LEDGER_REPEAT (its repetitions, default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C

WRITE=0
for a in "$@"; do
  case "$a" in
    --write) WRITE=1 ;;
    -h | --help)
      sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *)
      echo "report.sh: unknown argument $a" >&2
      exit 2
      ;;
  esac
done

BUILD=${BUILD_DIR:-build-bench}
SOAK_SECONDS=${SOAK_SECONDS:-60}
FLOOD_SECONDS=${FLOOD_SECONDS:-30}
ROUNDS=${ROUNDS:-3000}
STARTS=${STARTS:-7}
LEDGER_TAGS=${LEDGER_TAGS:-250}
LEDGER_REPEAT=${LEDGER_REPEAT:-5}
export QT_QPA_PLATFORM=offscreen

say() { printf '%s\n' "$*" >&2; }

say "report.sh: release build in $BUILD"
# -O2 rather than CMake's -O3: GCC 12 at -O3 reports false -Warray-bounds errors in some
# std::vector inserts (the same family as the -Wrestrict one the top-level CMakeLists.txt names).
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  >/dev/null
cmake --build "$BUILD" --target receiver_bench exchange_bench flood_bench multipage_bench \
  check_bench soak_bench settings_bench ledger_bench QZH900Tool qzh900-sim qzh900ctl >&2

WORK=$(mktemp -d /tmp/qzh-report-XXXXXX)
# Other work on the machine shows in the tails of the timings: the load is reported with them.
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
SIM_PID=
# The benchmarks' own output stays in $BUILD/report-last for a closer look.
cleanup() {
  if [ -n "$SIM_PID" ]; then
    kill "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
  fi
  rm -rf "$BUILD/report-last"
  mkdir -p "$BUILD/report-last"
  cp "$WORK"/*.txt "$WORK"/*.err "$WORK"/*.md "$BUILD/report-last/" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# The number in the line matching PATTERN that follows the word KEY.
after() { awk -v pat="$2" -v key="$3" '$0 ~ pat { for (i = 1; i < NF; i++) if ($i == key) { print $(i + 1); exit } }' "$1"; }
# The value of key=value lines.
value() { sed -n "s/^$2=//p" "$1" | head -n 1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }
median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
ms_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) * 1000 }'; }

say "report.sh: receiver"
"$BUILD/bench/receiver_bench" >"$WORK/receiver.txt"
say "report.sh: exchange ($ROUNDS rounds)"
"$BUILD/bench/exchange_bench" "$ROUNDS" >"$WORK/exchange.txt"
say "report.sh: read-loop flood ($FLOOD_SECONDS s)"
"$BUILD/bench/flood_bench" --seconds "$FLOOD_SECONDS" >"$WORK/flood.txt" 2>"$WORK/flood.err"
say "report.sh: multipage editor"
"$BUILD/bench/multipage_bench" >"$WORK/multipage.txt" 2>"$WORK/multipage.err"
say "report.sh: reader check"
"$BUILD/bench/check_bench" >"$WORK/check.txt" 2>"$WORK/check.err" || true
say "report.sh: soak ($SOAK_SECONDS s)"
soak_status=0
"$BUILD/bench/soak_bench" --seconds "$SOAK_SECONDS" --machine >"$WORK/soak.txt" \
  2>"$WORK/soak.err" || soak_status=$?
say "report.sh: a 10 MB settings file"
"$BUILD/bench/settings_bench" --mb 10 >"$WORK/settings.txt" 2>"$WORK/settings.err" || true
say "report.sh: four stations on one series through the code ledger ($LEDGER_TAGS tags each, $LEDGER_REPEAT runs)"
ledger_status=0
"$BUILD/bench/ledger_bench" --tags "$LEDGER_TAGS" --repeat "$LEDGER_REPEAT" >"$WORK/ledger.txt" \
  2>"$WORK/ledger.err" || ledger_status=$?
say "report.sh: hang-ups"
"$BUILD/bench/soak_bench" --hangups 100 --machine >"$WORK/hangups.txt" 2>&1 || true

# --- Start-up to "OK: Open COM9": the window against the simulator, and the command runner -----
say "report.sh: start-up"
export XDG_CONFIG_HOME="$WORK/config"
mkdir -p "$XDG_CONFIG_HOME/norvik/QZH900Tool"
printf '[Option]\nLanguageFlag=0\n[ComDebug]\nPort=9\nLastWorkingPort=9\nBaudRate=57600\n' \
  >"$XDG_CONFIG_HOME/norvik/QZH900Tool/QZH900Tool.ini"
"$BUILD/sim/qzh900-sim" --com 9 </dev/null >"$WORK/sim.log" 2>&1 &
SIM_PID=$!
for _ in $(seq 100); do
  grep -qs '^COM9=' "$XDG_CONFIG_HOME/norvik/ports.ini" && break
  sleep 0.1
done
TOOL=$(realpath "$BUILD/shell/QZH900Tool")
CTL=$(realpath "$BUILD/cli/qzh900ctl")
tool_running() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$TOOL" ] && return 0
  done
  return 1
}
# Milliseconds from starting the program to its "OK: Open COM9" line (nothing when it did not
# come).
time_to_open() {
  local start end= line
  start=$EPOCHREALTIME
  while IFS= read -r line; do
    if [ -z "$end" ] && [ "$line" = "OK: Open COM9" ]; then end=$EPOCHREALTIME; fi
  done < <(QZH900TOOL_AUTOSTART=1 timeout 60 "$@" 2>/dev/null)
  if [ -n "$end" ]; then ms_between "$start" "$end"; fi
}
# The first starts settle the language set-up (which may restart the program once).
for _ in 1 2 3; do
  t=$(time_to_open "$TOOL")
  for _ in $(seq 100); do tool_running || break; sleep 0.1; done
  [ -n "$t" ] && break
done
window_ms=""
ctl_ms=""
for _ in $(seq "$STARTS"); do
  window_ms="$window_ms $(time_to_open "$TOOL")"
  ctl_ms="$ctl_ms $(time_to_open "$CTL" identify --port COM9)"
done
window_ms=$(echo "$window_ms" | median)
ctl_ms=$(echo "$ctl_ms" | median)

# --- Figures -----------------------------------------------------------------------------------
R=$WORK/receiver.txt E=$WORK/exchange.txt F=$WORK/flood.txt M=$WORK/multipage.txt
S=$WORK/soak.txt H=$WORK/hangups.txt SET=$WORK/settings.txt L=$WORK/ledger.txt
rx_plain=$(awk '/without RX: lines/ { for (i = 1; i < NF; i++) if ($(i + 1) == "MB/s") print $i }' "$R")
rx_logged=$(awk '/with RX: lines/ && !/without/ { for (i = 1; i < NF; i++) if ($(i + 1) == "MB/s") print $i }' "$R")
bare50=$(after "$E" "^bare pty" p50) bare99=$(after "$E" "^bare pty" p99)
sim50=$(after "$E" "^simulator alone" p50) sim99=$(after "$E" "^simulator alone" p99)
ex50=$(after "$E" "^exchange round trip" p50) ex99=$(after "$E" "^exchange round trip" p99)
mem50=$(after "$E" "^in-memory link" p50) mem99=$(after "$E" "^in-memory link" p99)
wait_cpu=$(after "$E" "^silent wait" "=")
fl_sent=$(after "$F" "frames sent" sent) fl_recv=$(after "$F" "frames received" received)
fl_rate=$(awk '/frames sent/ { gsub(/[(]/, ""); for (i = 1; i <= NF; i++) if ($i ~ /\/s$/) { sub(/\/s$/, "", $i); print $i; exit } }' "$F")
fl_p50=$(after "$F" "10 ms timer" p50) fl_p99=$(after "$F" "10 ms timer" p99)
fl_max=$(after "$F" "10 ms timer" max)
fl_cpu=$(after "$F" "CPU [(]tool[)]" "(tool)")
fl_rss_warm=$(after "$F" "^  RSS" RSS) fl_rss_end=$(after "$F" "^  RSS" "warm-up,")
fl_lines=$(after "$F" "log pane" pane)
mp() { awk -v pat="$1" -v key="$2" '$0 ~ pat { for (i = 1; i < NF; i++) if ($i == key) { print $(i + 1); exit } }' "$M"; }
scan_ed=$(mp "^SCAN page by page" editor) scan_mod=$(mp "^SCAN page by page" module)
write_ed=$(mp "^WRITE page by page" editor) write_mod=$(mp "^WRITE page by page" module)
fscan_ed=$(mp "^SCAN fast" editor) fscan_mod=$(mp "^SCAN fast" module)
fwrite_ed=$(mp "^WRITE fast" editor) fwrite_mod=$(mp "^WRITE fast" module)

C=$WORK/check.txt
ck() { awk -v fam="$1" -v key="$2" '$1 == fam { for (i = 2; i < NF; i++) if ($i == key) { print $(i + 1); exit } }' "$C"; }
check_row() {
  echo "| Reader check, power sweep of $1 (20 reads per level, 57600 bit/s, air time) | $(ck "$1" check) ms | module's own time $(ck "$1" module) ms | $(ck "$1" ratio) |"
}

set_ms=$(after "$SET" "qzh900ctl run" MnGetROMVer)
set_rss=$(after "$SET" "qzh900ctl run" RSS)
set_ini=$(after "$SET" "INI reader alone" "file:")

cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
mem_gib=$(awk '/^MemTotal/ { printf "%.0f", $2 / 1048576 }' /proc/meminfo)
os=$( (. /etc/os-release 2>/dev/null && echo "$PRETTY_NAME") || uname -s)
commit=$(git rev-parse --short HEAD 2>/dev/null || echo "?")
dirty=$(git status --porcelain --untracked-files=no 2>/dev/null | grep -q . && echo " (with uncommitted changes)" || true)

report() {
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') at commit $commit$dirty, release build (-O2)."
  echo
  echo "Machine: $cpu_model, $(nproc) cores, $mem_gib GiB; $os, Linux $(uname -r); $(${CXX:-c++} --version | head -n 1); Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6). Load average (1, 5, 15 min) before the benchmarks: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)."
  echo
  echo "| Figure | Measured | Reference, same run | Ratio |"
  echo "|---|---|---|---|"
  echo "| Exchange round trip p50 (0x90 over a pty, wire time off) | $ex50 µs | bare pty round trip $bare50 µs | $(ratio "$ex50" "$bare50") |"
  echo "| Exchange round trip p99 | $ex99 µs | bare pty round trip $bare99 µs | $(ratio "$ex99" "$bare99") |"
  echo "| Simulator alone, raw descriptor, p50 / p99 | $sim50 / $sim99 µs | bare pty $bare50 / $bare99 µs | $(ratio "$sim50" "$bare50") / $(ratio "$sim99" "$bare99") |"
  echo "| Exchange over the in-memory link (the tool's own share, no pty), p50 / p99 | $mem50 / $mem99 µs | exchange over the pty $ex50 / $ex99 µs | $(ratio "$mem50" "$ex50") / $(ratio "$mem99" "$ex99") |"
  echo "| CPU while a command waits 2 s for an answer that never comes | $wait_cpu % of a core | | |"
  echo "| Receiver throughput, no RX: lines | $rx_plain MB/s | with RX: lines $rx_logged MB/s | $(ratio "$rx_plain" "$rx_logged") |"
  echo "| Read-loop flood at 115200 bit/s ($FLOOD_SECONDS s), ID frames received | $fl_recv | sent by the module $fl_sent ($fl_rate/s) | $(ratio "$fl_recv" "$fl_sent") |"
  echo "| Flood: lateness of a 10 ms timer, p50 / p99 / max | $fl_p50 / $fl_p99 / $fl_max ms | | |"
  echo "| Flood: CPU of the tool | $fl_cpu % of a core | | |"
  echo "| Flood: RSS after warm-up → end | $fl_rss_warm → $fl_rss_end MiB | | |"
  echo "| Flood: log pane lines at the end | $fl_lines | rule: 5000 | |"
  echo "| Multipage SCAN, page by page (17 pages, 57600 bit/s, air time) | $scan_ed ms | module's own time $scan_mod ms | $(ratio "$scan_ed" "$scan_mod") |"
  echo "| Multipage WRITE, page by page | $write_ed ms | module's own time $write_mod ms | $(ratio "$write_ed" "$write_mod") |"
  echo "| Multipage SCAN, fast (0x8B) | $fscan_ed ms | module's own time $fscan_mod ms | $(ratio "$fscan_ed" "$fscan_mod") |"
  echo "| Multipage WRITE, fast (0x8C) | $fwrite_ed ms | module's own time $fwrite_mod ms | $(ratio "$fwrite_ed" "$fwrite_mod") |"
  for fam in hdx fdx sic7888 em4305; do check_row "$fam"; done
  echo "| Settings file of 10 MB of blank lines: \`qzh900ctl run MnGetROMVer\` against the simulator, exec to exit / peak RSS | $set_ms ms / $set_rss MiB | the INI reader alone on the file $set_ini ms | |"
  for db in sqlite postgresql; do
    name=$([ "$db" = sqlite ] && echo SQLite || echo "PostgreSQL (local, Unix socket)")
    echo "| Ledger, $name: $(value "$L" ledger_stations) stations × $(value "$L" ledger_tags) tags on one series, $(value "$L" ledger_repeat) runs: duplicates / contiguous / tags failed and written again / wall time per run, median and max | $(value "$L" "ledger_${db}_duplicates") / $([ "$(value "$L" "ledger_${db}_contiguous")" = 1 ] && echo yes || echo NO) / $(value "$L" "ledger_${db}_failed_tags") / $(value "$L" "ledger_${db}_wall_s_median"), $(value "$L" "ledger_${db}_wall_s_max") s | duplicates allowed: 0 | |"
    echo "| Ledger, $name: claim + record per tag, p50 / p95 | $(value "$L" "ledger_${db}_ledger_p50_ms") / $(value "$L" "ledger_${db}_ledger_p95_ms") ms | the tag's write and read back (57600 bit/s, $(value "$L" ledger_air_ms) ms air time per command) $(value "$L" "ledger_${db}_tag_p50_ms") / $(value "$L" "ledger_${db}_tag_p95_ms") ms | $(ratio "$(value "$L" "ledger_${db}_ledger_p50_ms")" "$(value "$L" "ledger_${db}_tag_p50_ms")") / $(ratio "$(value "$L" "ledger_${db}_ledger_p95_ms")" "$(value "$L" "ledger_${db}_tag_p95_ms")") |"
    echo "| Ledger, $name: its share of a station's time per tag (mean) | $(value "$L" "ledger_${db}_share_percent") % | the station's time per tag $(value "$L" "ledger_${db}_station_tag_ms") ms | |"
  done
  echo "| Start-up to \"OK: Open COM9\", window (offscreen) against the simulator, median of $STARTS | $window_ms ms | command runner \`qzh900ctl identify\` $ctl_ms ms | $(ratio "$window_ms" "$ctl_ms") |"
  echo "| Hang-up in the middle of a wait to the end of the wait, p50 / p99 / max ($(value "$H" hangup_count) hang-ups) | $(value "$H" hangup_p50_ms) / $(value "$H" hangup_p99_ms) / $(value "$H" hangup_max_ms) ms | the wait's time-out 2000 ms | |"
  echo "| Hang-ups not detected / reconnections failed | $(value "$H" hangup_missed) / $(value "$H" hangup_reconnect_failures) | | |"
  echo "| Soak ($SOAK_SECONDS s): commands exchanged, failed (time-out / NACK / ID frame / another's answer) | $(value "$S" soak_exchanges), $(value "$S" soak_exchanges_failed) ($(value "$S" soak_failed_timeout) / $(value "$S" soak_failed_nack) / $(value "$S" soak_failed_id) / $(value "$S" soak_failed_mismatch)) | | |"
  echo "| Soak: ACKs received by the tool | $(value "$S" soak_acks_received) | sent by the module $(value "$S" soak_acks_module) | lost $(value "$S" soak_lost_acks) |"
  echo "| Soak: ID frames received | $(value "$S" soak_ids_received) | sent by the module $(value "$S" soak_ids_sent) | |"
  echo "| Soak: live heap growth after warm-up (like moments of the log cycle) | $(value "$S" soak_heap_growth_kib) KiB | live heap after warm-up $(value "$S" soak_heap_warm_mib) MiB | |"
  echo "| Soak: RSS after warm-up → end | $(value "$S" soak_rss_warm_mib) → $(value "$S" soak_rss_end_mib) MiB | | |"
  echo "| Soak: most lines in the log view | $(value "$S" soak_log_max_blocks) | rule: 5000 | |"
  echo "| Soak: CPU of the tool | $(value "$S" soak_cpu_percent) % of a core | | |"
  echo "| Peak memory (RSS) of the window under the soak | $(value "$S" soak_rss_peak_mib) MiB | | |"
  echo "| Soak result (heap growth < 1 MB, no lost ACK, log bounded) | $([ "$(value "$S" soak_pass)" = 1 ] && echo PASS || echo "FAIL (status $soak_status)") | | |"
}

report | tee "$WORK/report.md"
if [ "$WRITE" = 1 ]; then
  awk -v file="$WORK/report.md" '
    /<!-- report:begin -->/ { print; while ((getline line < file) > 0) print line; skip = 1; next }
    /<!-- report:end -->/ { skip = 0 }
    !skip' BENCHMARKS.md >"$WORK/BENCHMARKS.md"
  cp "$WORK/BENCHMARKS.md" BENCHMARKS.md
  say "report.sh: BENCHMARKS.md updated"
fi
