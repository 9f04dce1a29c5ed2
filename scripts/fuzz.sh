#!/usr/bin/env bash
# Builds the parsers' libFuzzer targets with clang (address and undefined-behaviour sanitizers) in
# ./build-fuzz and runs each for SECONDS (default 60). Not part of ./test: ./test replays the saved
# inputs in fuzz/corpus and fuzz/regressions through the ordinary build.
#
#   scripts/fuzz.sh [SECONDS] [NAME=SECONDS ...] [NAME ...]
# NAME=SECONDS gives one target its own time (a slow target needs more to reach as many
# executions); plain NAMEs run only those targets.
#
# Findings land in build-fuzz/findings/<target>/; each one becomes a fixed bug and a file in
# fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=60
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
declare -A own_seconds=()
only=()
for arg in "$@"; do
  if [[ $arg == *=* ]]; then
    own_seconds[${arg%%=*}]=${arg#*=}
  else
    only+=("$arg")
  fi
done
out=build-fuzz
export CCACHE_BASEDIR="$PWD"

if [ ! -f $out/build.ninja ]; then
  flags="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  cmake -S . -B $out -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" \
    -DMIRAVEL_FUZZ=ON -DMIRAVEL_BUILD_TESTS=OFF -DMIRAVEL_BUILD_BENCH=OFF
fi
targets=$(sed -n 's/^miravel_add_fuzz_target(\([a-z_0-9]*\) .*/\1/p' fuzz/CMakeLists.txt)
[ ${#only[@]} -gt 0 ] && targets="${only[*]}"
cmake --build $out --parallel "$(nproc)" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

# Seeds from real prices: the first rows of a few issues as daily and margin files.
real=/work/shared/data/jp-daily
if [ -d "$real" ]; then
  mkdir -p $out/seeds/daily $out/seeds/margin
  for csv in $(ls "$real"/*.csv | head -8); do
    code=$(basename "$csv" .csv)
    awk -F, -v code="$code" 'NR == 2 { d = $1; gsub("/", "", d); print d ",20,0\r" }
      NR > 1 && NR <= 21 { printf "%s,0,銘柄%s,%s,%s,%s,%s,%s\r\n", code, code, $2, $3, $4, $5, $6 }' "$csv" > $out/seeds/daily/$code
    awk -F, -v code="$code" 'NR == 2 { d = $1; gsub("/", "", d); print d "\r"; print "20,\r" }
      NR > 1 && NR <= 21 { printf "%d,1,銘柄,%s,%s,1000\r\n", code + NR, $2, $5 }' "$csv" > $out/seeds/margin/$code
  done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export QT_QPA_PLATFORM=offscreen
# The settings target writes a file per input: keep it in memory where there is a tmpfs.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
printf '%-14s %12s %10s %s\n' target executions findings log
for t in $targets; do
  mkdir -p $out/corpus/$t $out/findings/$t
  seeds=(fuzz/corpus/$t)
  [ -d $out/seeds/$t ] && seeds+=($out/seeds/$t)
  set +e
  $out/fuzz/fuzz_$t -max_total_time="${own_seconds[$t]:-$seconds}" -max_len=8192 -timeout=10 -print_final_stats=1 \
    -artifact_prefix=$out/findings/$t/ $out/corpus/$t "${seeds[@]}" > $out/$t.log 2>&1
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' $out/$t.log | tail -1)
  found=$(ls $out/findings/$t | wc -l)
  printf '%-14s %12s %10s %s\n' "$t" "${runs:-?}" "$found" "$out/$t.log"
done
