#!/usr/bin/env bash
# Builds with the address and undefined-behaviour sanitizers into build-sanitize/ and runs the core
# test programs (foundation, application start, database, imports, charts, HTTP client, batch tool,
# converter).
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD"
if [ ! -f build-sanitize/build.ninja ]; then
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRAVEL_SANITIZE=ON -DMIRAVEL_BUILD_BENCH=OFF
fi
core_tests=(test_base test_app test_db test_import test_chart test_net test_batch test_convert)
targets=()
for t in "${core_tests[@]}"; do
  # The program's build line also names the test list that gtest discovery writes after linking.
  grep -q "^build tests/$t[ :]" build-sanitize/build.ninja && targets+=("$t")
done
if [ ${#targets[@]} -ne ${#core_tests[@]} ]; then
  echo "test programs missing from build-sanitize: only ${targets[*]} of ${core_tests[*]}" >&2
  exit 1
fi
cmake --build build-sanitize --parallel "$(nproc)" --target "${targets[@]}" miravel-batch
export QT_QPA_PLATFORM=offscreen
# Qt and the system libraries keep some memory until exit on purpose.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-sanitize
status=0
for t in "${targets[@]}"; do
  echo "== $t"
  ./tests/"$t" --gtest_brief=1 || status=1
done
exit $status
