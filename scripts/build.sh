#!/usr/bin/env bash
# Configures (once) and builds the release build in ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so clones in other folders share the compiler cache.
export CCACHE_BASEDIR="$PWD"
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build build --parallel "$(nproc)" "$@"
