#!/usr/bin/env bash
# Runs ./test.sh on a fresh clone of this repository's HEAD while every core is kept busy by a
# CPU hog, to show that no test depends on the machine's speed or load.
#
#   scripts/test-under-load.sh [--runs N] [--quiet-run] [--hogs N] [--keep]
#
#   --runs N      loaded runs, one after another (default 3)
#   --quiet-run   one more run afterwards without the hog
#   --hogs N      busy processes (default: one per core)
#   --keep        keep the clone (its path is printed)
# Extra environment (QZH_QUICK, QZH_FUZZ_SECONDS, ...) is passed on to ./test.sh. The hog is
# Debian's stress-ng when it is installed, otherwise a shell busy loop per core; it is stopped
# by its process id whatever happens to the run. A summary line per run ends the output, and the
# exit status is that of the worst run.
set -uo pipefail

runs=3 quiet=0 hogs=$(nproc) keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --quiet-run) quiet=1; shift ;;
    --hogs) hogs=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done
case "$runs$hogs" in *[!0-9]*) echo "--runs and --hogs take whole numbers" >&2; exit 2 ;; esac

repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qzh-load.XXXXXX")
hog_pids=()

stop_hog() {
  for p in "${hog_pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${hog_pids[@]}"; do wait "$p" 2>/dev/null; done
  hog_pids=()
}
cleanup() {
  stop_hog
  if [ "$keep" = 1 ]; then echo "clone kept in $work/clone"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_hog() {
  if command -v stress-ng >/dev/null; then
    stress-ng --cpu "$hogs" --quiet &
    hog_pids+=($!)
  else
    for _ in $(seq "$hogs"); do
      sh -c 'while :; do :; done' &
      hog_pids+=($!)
    done
  fi
}

git clone --quiet --no-hardlinks "$repo" "$work/clone" || exit 2
summary=() worst=0
one_run() {  # $1: label, $2: 1 with the hog
  local label=$1 loaded=$2 start end rc
  echo "==== $label: ./test.sh $([ "$loaded" = 1 ] && echo "under $hogs CPU hogs" || echo quiet)"
  [ "$loaded" = 1 ] && start_hog
  start=$(date +%s)
  (cd "$work/clone" && ./test.sh)
  rc=$?
  end=$(date +%s)
  stop_hog
  summary+=("$label: $([ $rc = 0 ] && echo passed || echo "FAILED (exit $rc)") in $((end - start)) s")
  [ $rc -gt "$worst" ] && worst=$rc
}
for i in $(seq "$runs"); do one_run "loaded run $i" 1; done
[ "$quiet" = 1 ] && one_run "quiet run" 0
printf '\n'
printf '%s\n' "${summary[@]}"
exit "$worst"
