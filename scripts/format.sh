#!/usr/bin/env bash
# Formats the C++ sources with .clang-format, or with --check lists the lines that differ and fails
# (as .ci/run does). Uses clang-format 14, the version scripts/deps.sh --checks installs, so that
# every machine formats alike.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=clang-format-14
command -v $tool >/dev/null || { echo "format: $tool is missing (scripts/deps.sh --checks installs it)" >&2; exit 2; }
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' | grep -E '^(src|tools|tests|bench|fuzz|support)/')
if [ "${1:-}" = "--check" ]; then
  if ! $tool --dry-run --Werror "${files[@]}"; then
    echo "format: the files above differ from .clang-format; scripts/format.sh rewrites them" >&2
    exit 1
  fi
  echo "format: ${#files[@]} files as .clang-format writes them"
else
  $tool -i "${files[@]}"
fi
