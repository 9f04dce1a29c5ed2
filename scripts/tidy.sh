#!/usr/bin/env bash
# Runs clang-tidy 14 (checks in .clang-tidy) over the program's and the batch tool's sources, using the
# compile commands of the build in ./build; prints the findings and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/compile_commands.json ] || scripts/build.sh --target miravel_core
files=$(git ls-files 'src/*.cpp' 'tools/*.cpp')
out=$(run-clang-tidy-14 -clang-tidy-binary clang-tidy-14 -quiet -p build -j "$(nproc)" $files 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g' \
      | grep -E '^/.*(warning|error):' | sort -u || true)
if [ -n "$out" ]; then
  echo "$out"
  echo "tidy: $(echo "$out" | wc -l) findings" >&2
  exit 1
fi
echo "tidy: clean"
