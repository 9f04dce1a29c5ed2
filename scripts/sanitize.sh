#!/usr/bin/env bash
# Builds the program, the tools and every test program with the address and undefined-behaviour
# sanitizers (MIRAVEL_SANITIZE) into build-sanitize/ and runs every test through ctest there; the
# first report stops its test and fails the run. Fails too when the tree was not built with the
# sanitizers, so that a run without them can never pass for a clean one.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD"
out=build-sanitize
werror=OFF
[ -n "${MIRAVEL_WERROR:-}" ] && werror=ON
# -O1 keeps the build and the run short; the sanitizers need no more.
cmake -S . -B $out -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DMIRAVEL_SANITIZE=ON -DMIRAVEL_BUILD_BENCH=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=$werror >/dev/null
commands=$(grep -c '"command"' $out/compile_commands.json || true)
sanitized=$(grep '"command"' $out/compile_commands.json | grep -c -- '-fsanitize=address,undefined' || true)
if [ "$commands" -eq 0 ] || [ "$sanitized" -ne "$commands" ]; then
  echo "sanitize: only $sanitized of $commands compile commands in $out use -fsanitize: nothing would be checked" >&2
  exit 1
fi
cmake --build $out --parallel "$(nproc)"
# The linked programs carry the runtime too.
for program in $out/miravel-batch $out/tests/test_db; do
  # grep reads all of nm's output: with -q nm would die of SIGPIPE and pipefail fail the check.
  if ! nm -C "$program" 2>/dev/null | grep '__asan_init' >/dev/null; then
    echo "sanitize: $program was linked without the address sanitizer" >&2
    exit 1
  fi
done
export QT_QPA_PLATFORM=offscreen
# Qt and the system libraries keep some memory until exit on purpose: leaks are not looked for.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd $out
ctest --output-on-failure --parallel "$(nproc)" "$@"
echo "sanitize: every test passed under the address and undefined-behaviour sanitizers"
