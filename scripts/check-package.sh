#!/usr/bin/env bash
# Builds the Debian package in a build folder and checks it as an installer would meet it: every
# file in its place, the programs run from an unpacked copy, the shell completion completes, and
# lintian finds no error.
#
#   scripts/check-package.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
fail() { echo "package check: $*" >&2; exit 1; }

rm -f "$build"/qzh900-tool_*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1) || fail "cpack could not build the package"
debs=("$build"/qzh900-tool_*_amd64.deb)
[ -f "${debs[0]}" ] || fail "no qzh900-tool_<version>_amd64.deb in $build"
deb=${debs[0]}
echo "package: $deb ($(stat -c %s "$deb") bytes)"

listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for f in usr/bin/QZH900Tool usr/bin/qzh900ctl usr/bin/qzh900-sim \
  usr/share/applications/QZH900Tool.desktop \
  usr/share/icons/hicolor/scalable/apps/qzh900tool.svg \
  usr/share/icons/hicolor/256x256/apps/qzh900tool.png \
  usr/share/man/man1/QZH900Tool.1.gz usr/share/man/man1/qzh900ctl.1.gz \
  usr/share/man/man1/qzh900-sim.1.gz \
  usr/share/bash-completion/completions/qzh900ctl \
  usr/lib/systemd/system/qzh900-listen@.service usr/lib/udev/rules.d/60-qzh900.rules \
  usr/share/doc/qzh900-tool/copyright usr/share/doc/qzh900-tool/changelog.gz; do
  grep -qx "\./$f" <<<"$listing" || fail "$f is missing from the package"
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' ||
  fail "the dependencies were not computed: $(dpkg-deb -f "$deb" Depends)"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
# The unpacked programs run with a settings folder of their own, never the user's.
export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config
mkdir -p "$HOME"
# (Outputs are taken whole before they are searched: grep -q would end a pipe early.)
help=$("$root/usr/bin/qzh900ctl" --help) || fail "qzh900ctl --help failed"
grep -q '^usage: qzh900ctl VERB' <<<"$help" || fail "qzh900ctl --help: $help"
items=$("$root/usr/bin/qzh900ctl" list) || fail "qzh900ctl list failed"
grep -q '^MNWriteAndProgramCmd1 ' <<<"$items" || fail "qzh900ctl list lacks the items"
page=$(zcat "$root/usr/share/man/man1/qzh900ctl.1.gz")
grep -q '^\.SS program' <<<"$page" || fail "qzh900ctl.1 lacks the verbs"

# shellcheck disable=SC2016
completed=$(PATH="$root/usr/bin:$PATH" bash --norc -c '
  source "$1/usr/share/bash-completion/completions/qzh900ctl"
  complete -p qzh900ctl >/dev/null || exit 1
  COMP_WORDS=(qzh900ctl ru); COMP_CWORD=1; _qzh900ctl; echo "verb: ${COMPREPLY[*]}"
  COMP_WORDS=(qzh900ctl run MNWriteAnd); COMP_CWORD=2; _qzh900ctl; echo "item: ${COMPREPLY[*]}"
  COMP_WORDS=(qzh900ctl dump --fa); COMP_CWORD=2; _qzh900ctl; echo "option: ${COMPREPLY[*]}"
' _ "$root")
grep -qx 'verb: run' <<<"$completed" || fail "completion of a verb: $completed"
grep -qx 'item: MNWriteAndProgramCmd1' <<<"$completed" || fail "completion of an item: $completed"
grep -qx 'option: --fast' <<<"$completed" || fail "completion of an option: $completed"

if command -v systemd-analyze >/dev/null; then
  systemd-analyze verify "$root/usr/lib/systemd/system/qzh900-listen@.service" 2>&1 |
    grep -v "Failed to\|not executable\|is not a valid\|Command 'man " || true
fi
rc=0
report=$(lintian --fail-on error "$deb" 2>&1) || rc=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$rc" = 0 ] || fail "lintian reports errors"
echo "package check passed"
