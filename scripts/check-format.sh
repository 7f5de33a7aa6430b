#!/usr/bin/env bash
# The house style: every C++ source as clang-format (the project's .clang-format) writes it.
# With --fix the sources are rewritten in place instead of checked.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format-14 -i --style=file "${files[@]}"
  exit 0
fi
if ! clang-format-14 --dry-run --Werror --style=file "${files[@]}" 2>/tmp/tessellon-format.$$; then
  head -n 40 /tmp/tessellon-format.$$
  rm -f /tmp/tessellon-format.$$
  echo "format: some sources differ from the house style (above); bash scripts/check-format.sh --fix rewrites them" >&2
  exit 1
fi
rm -f /tmp/tessellon-format.$$
echo "format: ${#files[@]} sources in the house style"
