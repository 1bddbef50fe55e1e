#!/usr/bin/env bash
# Pictures of the main window (Japanese and English), the open-port dialog, the tag table, the
# port scan's progress dialog, the reader check with its plot and the production window, taken against the simulator on
# a virtual display, into docs/screenshots/. Installs the display server and the Japanese font when they are missing
# (Debian 12, as root).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(xvfb xauth fonts-ipafont-gothic)
scripts/install-missing.sh "${PACKAGES[@]}"

BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target screenshot_tour production_tour

OUT=docs/screenshots
mkdir -p "$OUT"
for lang in ja en; do
  # The platform plugin of the display, whatever the caller's environment says.
  env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x900x24" \
    "$BUILD/tests/shell/screenshot_tour" --lang "$lang" --out "$OUT"
  env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x900x24" \
    "$BUILD/tests/production/production_tour" --lang "$lang" --out "$OUT"
done
echo "Pictures in $OUT/"
