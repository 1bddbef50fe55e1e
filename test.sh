#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), builds and runs every test.
#
# Stages (all of them by default, as CI runs it):
#   1. release build with debug info, every test (ctest), the Debian package built and checked
#   2. the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#   3. the port, exchange and simulator tests under ThreadSanitizer
#   4. every fuzz target for a short bounded time (clang + libFuzzer)
# QZH_QUICK=1 ./test.sh runs stage 1 only. QZH_FUZZ_SECONDS (default 20) bounds each fuzzer.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ ccache qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools
  qt6-charts-dev
  libgl-dev xvfb xauth fonts-ipafont-gothic imagemagick clang libclang-rt-14-dev
  libgtest-dev libgmock-dev desktop-file-utils dpkg-dev file help2man lintian python3-jsonschema
  qt6-translations-l10n postgresql libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev iso-codes
  man-db zsh fish)
scripts/install-missing.sh "${PACKAGES[@]}"

JOBS=$(nproc)
export QT_QPA_PLATFORM=offscreen
stage() { printf '\n==== %s (%s)\n' "$1" "$(date +%H:%M:%S)"; }
# How the ASan + UBSan build runs: stop at the first report, leaks checked.
SANITIZER_ENV=(ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp)

stage "1. build and test"
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$JOBS"
ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS" --timeout 300
scripts/check-package.sh "$BUILD"

[ "${QZH_QUICK:-0}" = 1 ] && exit 0

stage "2. AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DQZH_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j "$JOBS"
env "${SANITIZER_ENV[@]}" ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 600

stage "3. ThreadSanitizer: port, exchange and simulator"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZH_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$JOBS" --target link_tests sim_tests robustness_port_tests
TSAN_OPTIONS=halt_on_error=1:suppressions=$PWD/tests/sanitizers/tsan.supp \
  ctest --test-dir build-tsan --output-on-failure -j "$JOBS" --timeout 600 \
  -R '^(Exchange|Port|PortRobustness|Receiver|MillisecondTimer|Frames|HexText|SimulatorPty)\.'

stage "4. fuzzing"
if command -v clang++ >/dev/null; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQZH_FUZZ=ON >/dev/null
  targets=$(sed -n 's/^ *"\([a-z_]*\)|.*/\1/p' fuzz/CMakeLists.txt)
  cmake --build build-fuzz -j "$JOBS" --target $(for t in $targets; do printf '%s_fuzz ' "$t"; done)
  for t in $targets; do
    work=$(mktemp -d)
    cp -r "fuzz/corpus/$t" "$work/corpus"
    args=(-max_total_time="${QZH_FUZZ_SECONDS:-20}" -timeout=30 -rss_limit_mb=4096
      -artifact_prefix="$work/" "$work/corpus")
    [ -f "fuzz/$t.dict" ] && args+=(-dict="$PWD/fuzz/$t.dict")
    echo "fuzzing $t for ${QZH_FUZZ_SECONDS:-20} s"
    if ! "build-fuzz/fuzz/${t}_fuzz" "${args[@]}" >"$work/log" 2>&1; then
      echo "fuzz target $t found a failing input:"
      tail -n 60 "$work/log"
      ls "$work" | grep -E '^(crash|leak|timeout|oom)-' || true
      exit 1
    fi
    grep -E '^Done [0-9]+ runs' "$work/log" || true
    # The fuzz build leaves some of UBSan's checks to ASan; the inputs it kept go through the whole
    # set in the sanitizer build of stage 2.
    env "${SANITIZER_ENV[@]}" "build-asan/fuzz/${t}_replay" "$work/corpus" || {
      echo "an input the fuzzer kept for $t fails under ASan + UBSan: $work/corpus"
      exit 1
    }
    rm -rf "$work"
  done
else
  echo "clang not found: fuzzing skipped"
fi
stage "all stages passed"
