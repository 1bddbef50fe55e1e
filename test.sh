#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), builds and runs every test.
#
# Stages (all of them by default, as CI runs it):
#   1. every C++ file formatted (clang-format), release build with debug info, every test (ctest),
#      the Debian package built and checked
#   2. the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#   3. the port, exchange and simulator tests under ThreadSanitizer
#   4. every fuzz target for a short bounded time (clang + libFuzzer)
# QZH_QUICK=1 ./test.sh runs stage 1 only. QZH_FUZZ_SECONDS (default 20) bounds each fuzzer.
#
# A test run is mostly waiting (for the simulator, a port, a server), so the next stage's build
# runs in the background at low priority while a stage's tests run; its output is shown when it
# fails. The fuzz targets run two at a time, each for its full time.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ ccache mold qt6-base-dev qt6-tools-dev qt6-l10n-tools
  qt6-tools-dev-tools qt6-charts-dev
  libgl-dev xvfb xauth fonts-ipafont-gothic imagemagick clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev desktop-file-utils dpkg-dev file help2man lintian python3-jsonschema
  qt6-translations-l10n postgresql libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev iso-codes
  man-db zsh fish ser2net)
scripts/install-missing.sh "${PACKAGES[@]}"

JOBS=$(nproc)
# Most tests wait (for the simulator, a child process, a server) more than they compute.
TEST_JOBS=$((JOBS * 4))
# Line tables are all the debug information a failing test's or a sanitizer's backtrace needs
# (function, file and line, inlined frames included); full debug information costs a fifth more
# compile time. The sanitized builds run at -Og: the ASan suite runs about as fast as at -O1 (81 s
# at -O1, 77 s at -Og, with eight jobs; 133 s at -O0 with four), and the build takes a fifth longer
# than at -O0 where -O1 doubles it.
RELEASE_FLAGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
SANITIZED_FLAGS=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-Og -g1")
export QT_QPA_PLATFORM=offscreen
stage() { printf '\n==== %s (%s)\n' "$1" "$(date +%H:%M:%S)"; }
# How the ASan + UBSan build runs: stop at the first report, leaks checked.
SANITIZER_ENV=(ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp)
QUICK=${QZH_QUICK:-0}
FUZZ_SECONDS=${QZH_FUZZ_SECONDS:-20}

LOGS=$(mktemp -d)
declare -A BUILD_PIDS
cleanup() {
  for pid in "${BUILD_PIDS[@]}"; do kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true; done
  rm -rf "$LOGS"
}
trap cleanup EXIT
# background NAME FUNCTION: runs FUNCTION at low priority in a process group of its own (so that
# an early exit stops the whole build), its output kept in a file.
background() {
  set -m
  (renice -n 10 -p "$BASHPID" >/dev/null || true; "$2") >"$LOGS/$1.log" 2>&1 &
  BUILD_PIDS[$1]=$!
  set +m
}
# finish NAME: waits for a background build; shows its output and fails when it failed. Once the
# run waits for it, the build is given back normal priority (only root may do that), so that on a
# busy machine it does not crawl behind the other users' work.
finish() {
  local pid=${BUILD_PIDS[$1]}
  unset "BUILD_PIDS[$1]"
  renice -n 0 -g "$pid" >/dev/null 2>&1 || true
  if ! wait "$pid"; then
    echo "the $1 build failed:"
    tail -n 80 "$LOGS/$1.log"
    exit 1
  fi
  echo "$1 build: done"
}

build_asan() {
  cmake -S . -B build-asan -G Ninja "${SANITIZED_FLAGS[@]}" -DQZH_SANITIZE=address,undefined >/dev/null
  cmake --build build-asan -j "$JOBS"
}
build_tsan() {
  cmake -S . -B build-tsan -G Ninja "${SANITIZED_FLAGS[@]}" -DQZH_SANITIZE=thread >/dev/null
  cmake --build build-tsan -j "$JOBS" --target link_tests sim_tests robustness_port_tests
}
build_fuzz() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQZH_FUZZ=ON >/dev/null
  targets=$(sed -n 's/^ *"\([a-z_]*\)|.*/\1/p' fuzz/CMakeLists.txt)
  cmake --build build-fuzz -j "$JOBS" --target $(for t in $targets; do printf '%s_fuzz ' "$t"; done)
}
later_builds() {
  build_tsan
  if command -v clang++ >/dev/null; then build_fuzz; fi
}

stage "1. build and test"
scripts/check-format.sh
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja "${RELEASE_FLAGS[@]}" >/dev/null
cmake --build "$BUILD" -j "$JOBS"
[ "$QUICK" = 1 ] || background asan build_asan
ctest --test-dir "$BUILD" --output-on-failure -j "$TEST_JOBS" --timeout 300
scripts/check-package.sh "$BUILD"

[ "$QUICK" = 1 ] && exit 0

stage "2. AddressSanitizer + UndefinedBehaviorSanitizer"
finish asan
background later later_builds
env "${SANITIZER_ENV[@]}" ctest --test-dir build-asan --output-on-failure -j "$TEST_JOBS" --timeout 600

stage "3. ThreadSanitizer: port, exchange and simulator"
finish later
TSAN_OPTIONS=halt_on_error=1:suppressions=$PWD/tests/sanitizers/tsan.supp \
  ctest --test-dir build-tsan --output-on-failure -j "$TEST_JOBS" --timeout 600 \
  -R '^(Exchange|Port|PortRobustness|Receiver|MillisecondTimer|Frames|HexText|SimulatorPty)\.'

stage "4. fuzzing"
if ! command -v clang++ >/dev/null; then
  echo "clang not found: fuzzing skipped"
  stage "all stages passed"
  exit 0
fi
# fuzz_one TARGET WORK: one fuzz target for its time on a copy of its corpus in WORK.
fuzz_one() {
  local t=$1 work=$2
  cp -r "fuzz/corpus/$t" "$work/corpus"
  local args=(-max_total_time="$FUZZ_SECONDS" -timeout=30 -rss_limit_mb=4096
    -artifact_prefix="$work/" "$work/corpus")
  [ -f "fuzz/$t.dict" ] && args+=(-dict="$PWD/fuzz/$t.dict")
  "build-fuzz/fuzz/${t}_fuzz" "${args[@]}" >"$work/log" 2>&1
}
# fuzz_check TARGET WORK STATUS: the outcome of one fuzz run, then the inputs it kept replayed
# through the ASan + UBSan build of stage 2 with the whole set of UBSan's checks (the fuzz build
# leaves some of them to ASan).
fuzz_check() {
  local t=$1 work=$2 status=$3
  if [ "$status" != 0 ]; then
    echo "fuzz target $t found a failing input:"
    tail -n 60 "$work/log"
    ls "$work" | grep -E '^(crash|leak|timeout|oom)-' || true
    exit 1
  fi
  echo "fuzzed $t for $FUZZ_SECONDS s: $(grep -E '^Done [0-9]+ runs' "$work/log" || echo '?')"
  env "${SANITIZER_ENV[@]}" "build-asan/fuzz/${t}_replay" "$work/corpus" >"$work/replay.log" 2>&1 || {
    cat "$work/replay.log"
    echo "an input the fuzzer kept for $t fails under ASan + UBSan: $work/corpus"
    exit 1
  }
  rm -rf "$work"
}
mapfile -t targets < <(sed -n 's/^ *"\([a-z_]*\)|.*/\1/p' fuzz/CMakeLists.txt)
for ((i = 0; i < ${#targets[@]}; i += JOBS)); do
  batch=("${targets[@]:i:JOBS}")
  declare -A work=() pid=()
  for t in "${batch[@]}"; do
    work[$t]=$(mktemp -d)
    fuzz_one "$t" "${work[$t]}" &
    pid[$t]=$!
  done
  for t in "${batch[@]}"; do
    status=0
    wait "${pid[$t]}" || status=$?
    fuzz_check "$t" "${work[$t]}" "$status"
  done
done
stage "all stages passed"
