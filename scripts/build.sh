#!/usr/bin/env bash
# Configures (once) and builds the release build in ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so clones in other folders share the compiler cache.
export CCACHE_BASEDIR="$PWD"
# MIRAVEL_WERROR=1 (CI) turns every warning into an error.
werror=OFF
[ -n "${MIRAVEL_WERROR:-}" ] && werror=ON
if [ ! -f build/build.ninja ] || ! grep -q "^CMAKE_COMPILE_WARNING_AS_ERROR:BOOL=$werror\$" build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=$werror
fi
cmake --build build --parallel "$(nproc)" "$@"
