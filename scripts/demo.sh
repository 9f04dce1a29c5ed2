#!/usr/bin/env bash
# Prepares a program folder for ./run and prints its path.
#   scripts/demo.sh          build/demo: two years of generated prices for about 300 issues,
#                            imported with margin balances and weekly rows, a published data-server
#                            tree in build/demo/server, a board and a few ledger lots. Prepared once.
#   scripts/demo.sh --fresh  build/fresh: an empty program folder, for the true first start.
# Expects Miravel, miravel-batch and Convt in build/, generate_data in build/bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$PWD/build"

install_programs() {
  local dir="$1"
  mkdir -p "$dir"
  # The program folder is the folder of the executable, so the programs are copied into it.
  for f in Miravel Convt infodata; do
    if [ -e "$build/$f" ]; then cp -p "$build/$f" "$dir/$f"; fi
  done
}

# Sets a key of a new settings file (code page 932, CR LF; the values are ASCII).
set_setting() {
  local ini="$1" key="$2" value="$3"
  sed -i "s|^$key=.*\$|$key=${value//\\/\\\\}\r|" "$ini"
}

if [ "${1:-}" = "--fresh" ]; then
  dir="$build/fresh"
  rm -rf "$dir"
  install_programs "$dir"
  echo "$dir"
  exit 0
fi

dir="$build/demo"
batch=("$build/miravel-batch" --folder "$dir")
if [ ! -f "$dir/.prepared" ]; then
  started=$(date +%s)
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "preparing the demo program folder $dir (once)..." >&2
  "${batch[@]}" init >/dev/null
  first=$(date -d '700 days ago' +%F) # about 480 trading days up to last week
  "$build/bench/generate_data" --issues 300 --days 480 --first "$first" --seed 7 "$dir" >/dev/null
  set_setting "$dir/Miravel.ini" sinyoPath "$dir/Margin\\"
  set_setting "$dir/Miravel.ini" DURL "127.0.0.1:8080/"
  # The published tree's quote pages stand in for the quote site of the boards.
  set_setting "$dir/Miravel.ini" QURL "127.0.0.1:8080/q/{code}.html"
  last=$(ls "$dir/Data" | sed -n 's/^Ds\([0-9]\{6\}\)\.\([0-9]\{2\}\)$/\1\2/p' | sort | tail -1)
  last="${last:0:4}-${last:4:2}-${last:6:2}"
  "${batch[@]}" import-registration >/dev/null
  "${batch[@]}" import-daily "$first" "$last" --margin --weekly >/dev/null
  # The last three months are enough to browse; a whole two years would take half a minute more.
  "${batch[@]}" publish "$dir/server" --from "$(date -d "$last -3 months" +%F)" >/dev/null 2>&1
  # The converter's source, for a try of its button: a folder for the user's CSV files.
  mkdir -p "$dir/csv"
  set_setting "$dir/Miravel.ini" Source "$dir/csv"
  touch "$dir/.prepared"
  echo "demo prepared in $(( $(date +%s) - started )) s" >&2
fi

# Board A with a handful of issues, board B with a few, and ledger lots bought a year ago, one
# of them sold half a year later.
# Issues of the last published day (the import skips some issues of the generated files).
latest=$(ls "$dir/server/kabudata" | grep '^Ds' | sort | tail -1)
traded=$(tail -n +2 "$dir/server/kabudata/$latest" | cut -d, -f1)
if [ ! -f "$dir/.board" ]; then
  for code in $(echo "$traded" | sed -n '1,6p'); do
    "${batch[@]}" board add A "$code" >/dev/null
  done
  for code in $(echo "$traded" | sed -n '7,9p'); do
    "${batch[@]}" board add B "$code" >/dev/null
  done
  touch "$dir/.board"
fi
if [ ! -f "$dir/.ledger" ]; then
  # The close of an issue on the first trading day from a date, from the daily files.
  close_on() {
    local f
    f=$(ls "$dir/Data" | grep '^Ds' | awk -v d="$(date -d "$2" +%Y%m.%d)" 'substr($0, 3) >= d' | sort | head -1)
    grep -a "^$1," "$dir/Data/$f" | cut -d, -f7 | tr -d '\r'
  }
  lots=$(echo "$traded" | sed -n '2,5p')
  bought=$(date -d '1 year ago' +%F)
  sold=$(date -d '6 months ago' +%F)
  first_lot=1
  for code in $lots; do
    id=$("${batch[@]}" ledger add "$code" "$bought" "$(close_on "$code" "$bought")" 1000)
    if [ "$first_lot" = 1 ]; then
      "${batch[@]}" ledger sell "$id" "$sold" "$(close_on "$code" "$sold")" 1000 >/dev/null
      first_lot=0
    fi
  done
  touch "$dir/.ledger"
fi

# The issue ./run opens on: the first of board A.
echo "$traded" | sed -n '1p' > "$dir/.start-code"
install_programs "$dir"
echo "$dir"
