#!/usr/bin/env bash
# The dialog gallery: every window the menu handlers open, in Japanese and English, one PNG per
# dialog (and per tab page) into docs/gallery/<lang>/, with the index page docs/gallery/index.md.
# Drawn by the window's own dialog code on a 1280x800 offscreen screen at 96 dpi; the same run
# checks every window (scripts/gallery.sh --check only checks, as ctest -R Gallery does at 96 dpi
# and at 1.5x). Installs the Japanese font when it is missing (Debian 12, as root).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(fonts-ipafont-gothic qt6-translations-l10n)
scripts/install-missing.sh "${PACKAGES[@]}"

BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target dialog_gallery

export QT_QPA_PLATFORM="offscreen:configfile=$PWD/tests/gallery/screen_1280x800.json"
unset QT_SCALE_FACTOR
if [ "${1:-}" = "--check" ]; then
  status=0
  for lang in ja en; do "$BUILD/tests/gallery/dialog_gallery" --lang "$lang" --check || status=1; done
  exit $status
fi

OUT=docs/gallery
rm -rf "$OUT/ja" "$OUT/en"
mkdir -p "$OUT"
for lang in ja en; do
  "$BUILD/tests/gallery/dialog_gallery" --lang "$lang" --out "$OUT"
done
"$BUILD/tests/gallery/dialog_gallery" --index "$OUT"
rm -f "$OUT/ja.tsv" "$OUT/en.tsv"
echo "Gallery in $OUT/ (index.md)"
