#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ ccache qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools
  libgl-dev xvfb xauth fonts-ipafont-gothic imagemagick clang libclang-rt-14-dev
  libgtest-dev libgmock-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

BUILD=${BUILD_DIR:-build}
JOBS=$(nproc)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$JOBS"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS" --timeout 300
