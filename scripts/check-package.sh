#!/usr/bin/env bash
# Builds the Debian package in a build folder and checks it as an installer would meet it: every
# file in its place, exact dependencies, the programs and their versions from an unpacked copy,
# the manual pages, the shell completion, the service unit, a real install (dpkg -i, as root),
# a run, remove and purge that leave nothing behind, and lintian -I without errors or hardening
# tags.
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
  usr/share/zsh/vendor-completions/_qzh900ctl \
  usr/share/fish/vendor_completions.d/qzh900ctl.fish \
  usr/lib/systemd/system/qzh900-listen@.service \
  usr/share/doc/qzh900-tool/examples/60-qzh900.rules \
  usr/share/doc/qzh900-tool/qzh900ctl.md.gz usr/share/doc/qzh900-tool/qzh900ctl.schema.json \
  usr/share/doc/qzh900-tool/copyright usr/share/doc/qzh900-tool/changelog.gz; do
  grep -qx "\./$f" <<<"$listing" || fail "$f is missing from the package"
done
# The udev rule is the administrator's copy in /etc, never a file of the package under /usr/lib.
! grep -q 'udev/rules.d' <<<"$listing" || fail "the package installs a udev rule: $listing"

# Dependencies: computed, each named once, no plugin package Debian 12 has in libqt6gui6, a
# Japanese font recommended.
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
grep -q 'libqt6core6' <<<"$depends" || fail "the dependencies were not computed: $depends"
dups=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | sort | uniq -d)
[ -z "$dups" ] || fail "Depends names a package twice ($dups): $depends"
! grep -q 'qt6-qpa-plugins' <<<"$depends" || fail "Depends names qt6-qpa-plugins: $depends"
grep -q 'fonts-ipafont-gothic\|fonts-noto-cjk' <<<"$recommends" ||
  fail "no Japanese font recommended: $recommends"
for script in prerm postrm; do
  dpkg-deb -I "$deb" "$script" >/dev/null 2>&1 || fail "the package has no $script"
done

root=$(mktemp -d)
installed=""
cleanup() {
  rm -rf "$root"
  if [ -n "$installed" ]; then dpkg --purge qzh900-tool >/dev/null 2>&1 || true; fi
  rm -f /etc/systemd/system/multi-user.target.wants/qzh900-listen@check.service
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$root"
# The unpacked programs run with a settings folder of their own, never the user's.
export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config
mkdir -p "$HOME"
# (Outputs are taken whole before they are searched: grep -q would end a pipe early.)
help=$("$root/usr/bin/qzh900ctl" --help) || fail "qzh900ctl --help failed"
grep -q '^usage: qzh900ctl \[common options\] VERB' <<<"$help" || fail "qzh900ctl --help: $help"
version=$(dpkg-deb -f "$deb" Version)
for prog in qzh900ctl qzh900-sim QZH900Tool; do
  out=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$prog" --version) || fail "$prog --version failed"
  [ "$out" = "$prog $version" ] || fail "$prog --version: \"$out\", not \"$prog $version\""
done
items=$("$root/usr/bin/qzh900ctl" list) || fail "qzh900ctl list failed"
grep -q '^MNWriteAndProgramCmd1 ' <<<"$items" || fail "qzh900ctl list lacks the items"

# The manual page: its sections, the exit status once, and no warning from man.
page=$(zcat "$root/usr/share/man/man1/qzh900ctl.1.gz")
for section in NAME SYNOPSIS DESCRIPTION OPTIONS '"EXIT STATUS"' FILES EXAMPLES '"SEE ALSO"'; do
  grep -qx "\.SH $section" <<<"$page" || fail "qzh900ctl.1 lacks the section $section"
done
grep -q '^\.SS program' <<<"$page" || fail "qzh900ctl.1 lacks the verbs"
[ "$(grep -c '^Exit status, the verdict' <<<"$page")" = 1 ] ||
  fail "qzh900ctl.1 states the exit status more than once"
for page in qzh900ctl QZH900Tool qzh900-sim; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
    "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) || fail "man cannot format $page.1"
  [ -z "$warnings" ] || fail "man --warnings on $page.1: $warnings"
done

# Completion: verbs, items (from a name list that runs no handler), options, ledger sub-verbs,
# families, an item's fields after -a and buttons after --press.
# shellcheck disable=SC2016
completed=$(PATH="$root/usr/bin:$PATH" bash --norc -c '
  source "$1/usr/share/bash-completion/completions/qzh900ctl"
  complete -p qzh900ctl >/dev/null || exit 1
  c() { COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _qzh900ctl; echo "${COMPREPLY[*]}"; }
  echo "verb: $(c qzh900ctl ru)"
  echo "verb after an option: $(c qzh900ctl --port COM3 iden)"
  start=$(date +%s%N); items=$(c qzh900ctl run MNWriteAnd); end=$(date +%s%N)
  echo "item: $items"
  echo "item ms: $(((end - start) / 1000000))"
  echo "option: $(c qzh900ctl dump --fa)"
  echo "ledger: $(c qzh900ctl ledger ex)"
  echo "family: $(c qzh900ctl check --family s)"
  echo "field: $(c qzh900ctl run SIC7888READBLOCK1 -a IntE)"
  echo "button: $(c qzh900ctl run IDWrite1 --press OK)"
' _ "$root")
grep -qx 'verb: run' <<<"$completed" || fail "completion of a verb: $completed"
grep -qx 'verb after an option: identify' <<<"$completed" || fail "completion after --port: $completed"
grep -qx 'item: MNWriteAndProgramCmd1' <<<"$completed" || fail "completion of an item: $completed"
grep -qx 'option: --fast' <<<"$completed" || fail "completion of an option: $completed"
grep -qx 'ledger: export' <<<"$completed" || fail "completion of a ledger verb: $completed"
grep -qx 'family: sic7888' <<<"$completed" || fail "completion of --family: $completed"
grep -q '^field: IntEd1=' <<<"$completed" || fail "completion of a field: $completed"
grep -qx 'button: OKBtn' <<<"$completed" || fail "completion of a button: $completed"
echo "completion of an item name: $(sed -n 's/^item ms: //p' <<<"$completed") ms"
if command -v zsh >/dev/null; then
  zsh -n "$root/usr/share/zsh/vendor-completions/_qzh900ctl" || fail "_qzh900ctl is no zsh script"
fi
if command -v fish >/dev/null; then
  fish -n "$root/usr/share/fish/vendor_completions.d/qzh900ctl.fish" ||
    fail "qzh900ctl.fish is no fish script"
fi

# The reader service: bound to its device, the journal's command.
unit=$root/usr/lib/systemd/system/qzh900-listen@.service
grep -qx 'BindsTo=%i.device' "$unit" || fail "the service is not bound to its device"
grep -qx 'After=%i.device' "$unit" || fail "the service does not start after its device"
grep -qx 'WantedBy=%i.device' "$unit" || fail "the service does not come back with its device"
if command -v systemd-analyze >/dev/null; then
  systemd-analyze verify "$unit" 2>&1 |
    grep -v "Failed to\|not executable\|is not a valid\|Command 'man \|\.device" || true
fi

# Installed for real, run, removed and purged: nothing written under /usr at run time, the
# service's instances disabled, nothing left behind.
[ "$(id -u)" = 0 ] || fail "the install check needs root (dpkg -i, purge)"
if dpkg -s qzh900-tool >/dev/null 2>&1; then fail "qzh900-tool is installed already"; fi
dpkg -i "$deb" >/dev/null 2>&1 || fail "dpkg -i failed: $(dpkg -i "$deb" 2>&1 | tail -3)"
installed=1
QT_QPA_PLATFORM=offscreen QZH900TOOL_AUTOSTART=1 /usr/bin/QZH900Tool >/dev/null 2>&1 ||
  fail "QZH900Tool did not start and close"
/usr/bin/qzh900ctl list --names >/dev/null || fail "qzh900ctl list --names failed"
stray=$(find /usr -newer "$deb" -path '*qzh*' ! -type d | grep -v -x -F "$(dpkg -L qzh900-tool)" || true)
[ -z "$stray" ] || fail "written under /usr at run time: $stray"
mkdir -p /etc/systemd/system/multi-user.target.wants
ln -sf /usr/lib/systemd/system/qzh900-listen@.service \
  /etc/systemd/system/multi-user.target.wants/qzh900-listen@check.service
dpkg --remove qzh900-tool >/dev/null || fail "dpkg --remove failed"
[ ! -L /etc/systemd/system/multi-user.target.wants/qzh900-listen@check.service ] ||
  fail "remove left an enabled instance of the service"
dpkg --purge qzh900-tool >/dev/null || fail "dpkg --purge failed"
installed=""
left=$(find /usr /etc /var/lib -path '*qzh900*' 2>/dev/null | grep -v '^/var/lib/dpkg/' || true)
[ -z "$left" ] || fail "purge left: $left"

rc=0
report=$(lintian -I --fail-on error "$deb" 2>&1) || rc=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$rc" = 0 ] || fail "lintian reports errors"
! grep -q 'hardening' <<<"$report" || fail "lintian reports hardening tags"
echo "package check passed"
