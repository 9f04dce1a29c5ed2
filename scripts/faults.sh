#!/usr/bin/env bash
# Interrupts the operations that write the user's data and checks that nothing is lost:
#   scripts/faults.sh [--runs N] [--seed S] [OPERATION ...]
# OPERATION is any of: compact restore publish ledger download change-code delete-range import (all when
# none is named). Each is run N times (default 8) in three ways on a fresh copy of a generated
# program folder:
#   kill   killed with SIGKILL at a random moment of its usual run time;
#   full   run in a small tmpfs filled to a random level (as root; skipped otherwise);
#   fsize  run under a random file-size limit (ulimit -f).
# After each run: does the database open (SQLite's integrity check, and the batch tool reads it);
# rows lost (rows missing against the nearest state the operation may leave: before or after it);
# files short (a file under its final name that is neither its old self nor the finished one);
# wrong exit (exit 0 although the operation did not finish, or a failure without a message); and
# whether running the operation again gives what an uninterrupted run gives.
# Not part of ./test: a full run takes several minutes. Needs the build (scripts/build.sh).
set -uo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
runs=8
seed=$$
ops=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) ops+=("$1"); shift ;;
  esac
done
[ ${#ops[@]} -gt 0 ] || ops=(compact restore publish ledger download change-code delete-range import)
RANDOM=$seed

# What the script itself uses: the sqlite3 shell to look at databases, python3 to serve files.
need=()
command -v sqlite3 >/dev/null || need+=(sqlite3)
command -v python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
# MIRAVEL_BATCH runs another build of the batch tool (for instance an older one, to see the script fail).
batch="${MIRAVEL_BATCH:-$root/build/miravel-batch}"
generate="$root/build/bench/generate_data"
for p in "$batch" "$generate"; do
  [ -x "$p" ] || { echo "missing $p: run scripts/build.sh first" >&2; exit 2; }
done

work="$root/build/faults"
base="$work/base"
mkdir -p "$work"
tmp=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  if mountpoint -q "$tmp/full" 2>/dev/null; then umount "$tmp/full"; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

set_setting() { sed -i "s|^$2=.*\$|$2=${3//\\/\\\\}\r|" "$1"; }

# ---- The program folder every run starts from (made once) ----
first=2018-01-04
days=120
# A base an older build made has an older layout, and every run would upgrade it before its
# operation: make it again, with what was made from it.
if [ -f "$base/.ready" ]; then
  "$batch" --folder "$tmp/layout" init >/dev/null 2>&1
  if [ "$(sqlite3 "$tmp/layout/Miravel.mdb" 'pragma user_version')" != "$(sqlite3 "$base/Miravel.mdb" 'pragma user_version')" ]; then
    rm -rf "$base" "$work/backup" "$work/backup-src" "$work/server" "$work/client" "$work/import-src"
  fi
fi
if [ ! -f "$base/.ready" ]; then
  echo "preparing $base (once)..." >&2
  rm -rf "$base" && mkdir -p "$base"
  "$batch" --folder "$base" init >/dev/null
  "$generate" --issues 1500 --days $days --first $first --seed 11 "$base" >/dev/null
  set_setting "$base/Miravel.ini" sinyoPath "$base/Margin\\"
  last=$(ls "$base/Data" | sed -n 's/^Ds\([0-9]\{6\}\)\.\([0-9]\{2\}\)$/\1\2/p' | sort | tail -1)
  echo "${last:0:4}-${last:4:2}-${last:6:2}" >"$base/.last"
  "$batch" --folder "$base" import-registration >/dev/null
  "$batch" --folder "$base" import-daily $first "$(cat "$base/.last")" --margin --weekly >/dev/null
  # A broker's export of 3,000 purchases and 1,000 sales for the ledger import.
  codes=($(tail -n +2 "$base/Data/Regist.Mei" 2>/dev/null | cut -d, -f1 | head -300))
  [ ${#codes[@]} -gt 0 ] || codes=($(sqlite3 "$base/Miravel.mdb" 'select コード from Mei limit 300'))
  {
    printf '日付,コード,売買,単価,株数\r\n'
    for i in $(seq 0 2999); do printf '2018/02/%02d,%s,買,%d,100\r\n' $(( i % 28 + 1 )) "${codes[$(( i % ${#codes[@]} ))]}" $(( 500 + i % 700 )); done
    for i in $(seq 0 999); do printf '2018/05/%02d,%s,売,%d,100\r\n' $(( i % 28 + 1 )) "${codes[$(( i % ${#codes[@]} ))]}" $(( 600 + i % 700 )); done
  } >"$base/trades.csv"
  touch "$base/.ready"
fi
last=$(cat "$base/.last")
first_code=$(sqlite3 "$base/Miravel.mdb" 'select min(コード) from daydata')
range_from=$(date -d "$first +20 days" +%F)
range_to=$(date -d "$first +80 days" +%F)

# A backup of a state different from the base, for the restore.
if [ ! -f "$work/backup/Miravel.mdb" ]; then
  rm -rf "$work/backup-src" && cp -a "$base" "$work/backup-src"
  "$batch" --folder "$work/backup-src" delete range $first "$(date -d "$first +10 days" +%F)" >/dev/null 2>&1
  mkdir -p "$work/backup" && "$batch" --folder "$work/backup-src" backup "$work/backup" >/dev/null
fi
# For the import: the last weeks of day files are there, their rows not yet.
import_from=$(date -d "$last -40 days" +%F)
if [ ! -f "$work/import-src/.ready" ]; then
  rm -rf "$work/import-src" && cp -a "$base" "$work/import-src"
  "$batch" --folder "$work/import-src" delete range "$import_from" "$last" >/dev/null 2>&1
  touch "$work/import-src/.ready"
fi
# The data server for the download, published from the base (the tree is made once).
if [ ! -f "$work/server/.ready" ]; then
  rm -rf "$work/server"
  "$batch" --folder "$base" publish "$work/server" --from "$(date -d "$last -25 days" +%F)" >/dev/null 2>&1
  touch "$work/server/.ready"
fi
port=$(( 20000 + RANDOM % 20000 ))
python3 -m http.server --bind 127.0.0.1 --directory "$work/server" "$port" >/dev/null 2>&1 &
server_pid=$!
sleep 0.5

# A program folder for the download: registered, no price files yet.
if [ ! -f "$work/client/.ready" ]; then
  rm -rf "$work/client" && mkdir -p "$work/client"
  "$batch" --folder "$work/client" init >/dev/null
  mkdir -p "$work/client/Margin"
  touch "$work/client/.ready"
fi
set_setting "$work/client/Miravel.ini" DURL "127.0.0.1:$port/"

# ---- Looking at a database ----
# "ok" and the row count of every table (name=count, sorted), read from a copy of the file with its
# logs so that the original is left as the interrupted run left it; "bad" when it does not open
# whole or is not ours.
db_state() {
  local dir="$1" look="$tmp/look"
  rm -rf "$look" && mkdir -p "$look"
  [ -f "$dir/Miravel.mdb" ] || { echo bad; return; }
  cp "$dir/Miravel.mdb" "$look/" 2>/dev/null
  for c in -wal -journal; do [ -f "$dir/Miravel.mdb$c" ] && cp "$dir/Miravel.mdb$c" "$look/"; done
  local check id
  check=$(sqlite3 "$look/Miravel.mdb" 'pragma integrity_check' 2>/dev/null | head -1)
  id=$(sqlite3 "$look/Miravel.mdb" 'pragma application_id' 2>/dev/null)
  if [ "$check" != ok ] || [ "$id" != 1296650838 ]; then echo bad; return; fi
  local tables t out="ok"
  tables=$(sqlite3 "$look/Miravel.mdb" "select name from sqlite_master where type='table' and name not like 'sqlite_%' order by name")
  for t in $tables; do out+=" $t=$(sqlite3 "$look/Miravel.mdb" "select count(*) from \"$t\"")"; done
  echo "$out"
}
# Rows per day from the import's first day: a day is in the database whole or not at all.
import_days() {
  sqlite3 "$1" "select 日付||' '||count(*) from daydata where 日付>='$import_from' group by 日付" 2>/dev/null
}
# Whether a file that must be a whole database is one (when it exists).
whole_or_absent() {
  [ -f "$1" ] || return 0
  [ "$(sqlite3 "file:$1?immutable=1" 'pragma integrity_check' 2>/dev/null | head -1)" = ok ]
}
# Rows of each table under two codes, for the code change.
code_state() {
  local dir="$1" out="" t
  for t in daydata weekdata shinyo informationData board stockmarket Mei; do
    out+=" $t:$(sqlite3 "$dir/Miravel.mdb" "select count(*) from $t where コード=$first_code"),$(sqlite3 "$dir/Miravel.mdb" "select count(*) from $t where コード=9990")"
  done
  echo "$out"
}
# Rows missing against the nearest of the allowed states (each "ok t=n ...").
rows_lost() {
  local actual="$1"; shift
  [ "$actual" = bad ] && { echo 0; return; }
  local best=-1 allowed
  for allowed in "$@"; do
    local lost
    lost=$(awk -v a="$actual" -v b="$allowed" 'BEGIN {
      n = split(a, x, " "); for (i = 2; i <= n; i++) { split(x[i], kv, "="); have[kv[1]] = kv[2] }
      m = split(b, y, " "); s = 0
      for (i = 2; i <= m; i++) { split(y[i], kv, "="); d = kv[2] - have[kv[1]]; if (d > 0) s += d }
      print s }')
    if [ "$best" -lt 0 ] || [ "$lost" -lt "$best" ]; then best=$lost; fi
  done
  echo "$best"
}

# ---- The operations ----
# op_command OP DIR: the batch tool's command line for the operation on the program folder DIR,
# in the array cmd.
op_command() {
  local op="$1" dir="$2"
  cmd=("$batch" --folder "$dir")
  case "$op" in
    compact) cmd+=(compact) ;;
    restore) cmd+=(restore "$work/backup") ;;
    publish) cmd+=(publish "$dir/out") ;;
    ledger) cmd+=(ledger import "$dir/trades.csv") ;;
    download) cmd+=(download-daily "$(date -d "$last -20 days" +%F)" "$last" --margin) ;;
    change-code) cmd+=(change-code "$first_code" 1 9990 1) ;;
    delete-range) cmd+=(delete range "$range_from" "$range_to" --weekly) ;;
    import) cmd+=(import-daily "$import_from" "$last") ;;
  esac
}
op_run() { op_command "$1" "$2"; "${cmd[@]}"; }
op_source() { case "$1" in download) echo "$work/client" ;; import) echo "$work/import-src" ;; *) echo "$base" ;; esac; }
# The files an operation writes, listed "name size sha" (for comparison with a finished run).
op_files() {
  local op="$1" dir="$2"
  case "$op" in
    # The publisher's own bookkeeping (.previous: the spare copies of the quote pages it swaps) is
    # not part of the tree a client reads.
    publish) [ -d "$dir/out" ] && (cd "$dir/out" && find . -path ./.previous -prune -o -type f ! -name '.*.tmp' -exec sha1sum {} + | sort -k2) ;;
    download) (cd "$dir" && find Data Margin -type f \( -name 'Ds*' -o -name 'Ys*' \) -exec sha1sum {} + 2>/dev/null | sort -k2) ;;
  esac
}
# Files under their final names that match no finished copy: lines of op_files not in the reference.
files_short() {
  local op="$1" dir="$2" ref="$3" short=0
  case "$op" in
    compact) whole_or_absent "$dir/Miravel.old" || short=1 ;;
    restore) whole_or_absent "$dir/Miravel.before-restore" || short=1 ;;
    publish|download)
      # A file of a finished run's name with other bytes; temporary names are not looked at.
      short=$(op_files "$op" "$dir" | awk 'NR == FNR { want[$2] = $1; next } ($2 in want) && want[$2] != $1' "$ref" - | wc -l) ;;
    # A day with some of its rows (read from the copy the last db_state made).
    import) short=$(import_days "$tmp/look/Miravel.mdb" | awk 'NR == FNR { want[$1] = $2; next } want[$1] != $2' "$tmp/days-import" - | wc -l) ;;
  esac
  echo "$short"
}
# The state that matters for "same as an uninterrupted run".
op_result() {
  local op="$1" dir="$2"
  case "$op" in
    publish|download) op_files "$op" "$dir" | sha1sum ;;
    change-code) code_state "$dir" ;;
    import) echo "$(db_state "$dir") $(import_days "$dir/Miravel.mdb" | sha1sum)" ;;
    *) db_state "$dir" ;;
  esac
}

# A copy of a program folder whose settings name its own folders (they hold absolute paths).
fresh_copy() {
  rm -rf "$2" && cp -a "$1" "$2" || return 1
  set_setting "$2/Miravel.ini" hibiPath "$2/Data\\"
  set_setting "$2/Miravel.ini" sinyoPath "$2/Margin\\"
}

declare -A total opened lost short wrongexit identical
report() {
  printf '%-13s %-6s %5s %6s %10s %12s %11s %17s\n' "$@"
}

echo "seed $seed, $runs runs per way"
report operation way runs opens "rows lost" "files short" "wrong exit" "re-run identical"
for op in "${ops[@]}"; do
  src=$(op_source "$op")
  # The uninterrupted run: its time, its result, its files.
  ref="$tmp/ref-$op"
  fresh_copy "$src" "$ref"
  before=$(db_state "$ref")
  started=$(date +%s%N)
  op_run "$op" "$ref" >/dev/null 2>&1
  elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
  after=$(db_state "$ref")
  result=$(op_result "$op" "$ref")
  before_codes=""
  op_files "$op" "$ref" >"$tmp/files-$op"
  [ "$op" = import ] && import_days "$ref/Miravel.mdb" >"$tmp/days-import"
  allowed=("$before" "$after")
  [ "$op" = change-code ] && before_codes=$(code_state "$src")
  growth=$(( $(stat -c %s "$ref/Miravel.mdb") + 1024 * 1024 ))

  for way in kill full fsize; do
    if [ "$way" = full ] && [ "$(id -u)" -ne 0 ]; then
      report "$op" "$way" "-" "-" "-" "-" "-" "(needs root)"
      continue
    fi
    n=0 o=0 l=0 s=0 w=0 same=0
    for i in $(seq 1 "$runs"); do
      dir="$tmp/run"
      if [ "$way" = full ]; then
        mkdir -p "$tmp/full"
        used=$(du -sk "$src" | cut -f1)
        extra=$(( (RANDOM * 32768 + RANDOM) % growth + 65536 ))
        mount -t tmpfs -o size=$(( used + extra / 1024 + 64 ))k tmpfs "$tmp/full" || { echo "mount failed" >&2; break; }
        dir="$tmp/full/run"
      fi
      if ! fresh_copy "$src" "$dir" 2>/dev/null; then
        [ "$way" = full ] && umount "$tmp/full"
        continue
      fi
      code=0
      case "$way" in
        kill)
          op_command "$op" "$dir"
          "${cmd[@]}" >/dev/null 2>"$tmp/err" &
          pid=$!
          sleep "$(awk -v ms="$elapsed_ms" -v r="$RANDOM" 'BEGIN { printf "%.3f", ms * (r / 32767) / 1000 }')"
          kill -9 "$pid" 2>/dev/null
          wait "$pid" 2>/dev/null
          code=-1 ;;
        full)
          op_run "$op" "$dir" >/dev/null 2>"$tmp/err"; code=$? ;;
        fsize)
          limit=$(( (RANDOM * 32768 + RANDOM) % (growth / 1024) + 16 ))
          ( ulimit -f "$limit"; op_run "$op" "$dir" ) >/dev/null 2>"$tmp/err"; code=$? ;;
      esac
      n=$((n + 1))
      state=$(db_state "$dir")
      # For the code change, a run that left rows under both codes counts as one row lost.
      if [ "$op" = change-code ] && [ "$state" != bad ]; then
        cs=$(code_state "$dir")
        [ "$cs" = "$before_codes" ] || [ "$cs" = "$result" ] || l=$((l + 1))
      fi
      l=$(( l + $(rows_lost "$state" "${allowed[@]}") ))
      s=$(( s + $(files_short "$op" "$dir" "$tmp/files-$op") ))
      # A failure must say why; a success must have finished.
      if [ "$code" -gt 0 ] && [ ! -s "$tmp/err" ]; then
        w=$((w + 1)); echo "$op $way: exit $code without a message" >&2
      fi
      if [ "$code" -eq 0 ] && [ "$(op_result "$op" "$dir")" != "$result" ]; then
        w=$((w + 1)); echo "$op $way: exit 0 but not finished: $(op_result "$op" "$dir") / $result" >&2
      fi
      # Last, as it may bring the layout of an older database up to date.
      if [ "$state" != bad ] && "$batch" --folder "$dir" board list A >/dev/null 2>&1; then o=$((o + 1)); fi
      # Run again, with room and without a limit, and compare with the uninterrupted run.
      again="$tmp/again"
      fresh_copy "$dir" "$again"
      if [ "$way" = full ]; then umount "$tmp/full"; fi
      op_run "$op" "$again" >/dev/null 2>&1
      [ "$(op_result "$op" "$again")" = "$result" ] && same=$((same + 1))
      rm -rf "$again" "$tmp/run"
    done
    report "$op" "$way" "$n" "$o" "$l" "$s" "$w" "$same/$n"
  done
  rm -rf "$ref"
done
