#!/usr/bin/env bash
# Fails on any C++ file of the tree that clang-format (with the repository's .clang-format) would
# change, and names each such file. Files git ignores (build trees) are not looked at.
set -euo pipefail
cd "$(dirname "$0")/.."

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' |
    while read -r f; do [ -f "$f" ] && echo "$f"; done)
else
  mapfile -t files < <(find . -path './build*' -prune -o -path './.git' -prune -o \
    \( -name '*.cpp' -o -name '*.h' \) -type f -print | sed 's|^\./||')
fi

command -v clang-format >/dev/null || { echo "clang-format not found"; exit 1; }
# --dry-run --Werror reports every place it would change as "FILE:LINE:COL: error: ..." and fails;
# one call for all files keeps it quick.
status=0
out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1) || status=$?
mapfile -t bad < <(printf '%s\n' "$out" |
  sed -n 's/^\(.*\):[0-9]*:[0-9]*: \(warning\|error\): .*/\1/p' | sort -u)
if [ "${#bad[@]}" -gt 0 ]; then
  echo "not formatted as .clang-format says (run clang-format -i on them):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
if [ "$status" != 0 ]; then
  printf 'clang-format failed:\n%s\n' "$out"
  exit 1
fi
echo "clang-format: all ${#files[@]} C++ files formatted"
