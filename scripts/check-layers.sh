#!/usr/bin/env bash
# The folders of src/ depend on each other one way only. Every '#include "x/..."' in a file of
# folder y is an edge y -> x; an edge the graph below does not allow fails, and so does a cycle
# among the edges actually used. The core library stays free of widgets: a file listed in
# MIRAVEL_CORE_SOURCES (and the headers of its folder that core files include) includes no
# widget header; the link of miravel_core enforces the same.
#   scripts/check-layers.sh          check
#   scripts/check-layers.sh --graph  print the folder edges in use ("from to" per line)
#   scripts/check-layers.sh --table  print the table of allowed edges that docs/ARCHITECTURE.md holds
# The check also fails when that table in docs/ARCHITECTURE.md differs from the one printed, or when
# the folder order of src/CMakeLists.txt puts a folder before one it may include.
set -euo pipefail
cd "$(dirname "$0")/.."

# Which folders each folder may include (besides itself). Lower layers first.
declare -A allowed=(
  [base]=""
  [db]="base"
  [net]="base"
  [ui]="base db"
  [maint]="base db net ui"
  [import]="base db net ui maint"
  [splits]="base db net ui"
  [chart]="base db net ui splits"
  [board]="base db net ui"
  [info]="base db net ui import"
  [ledger]="base db net ui"
  [convert]="base db net ui import"
  [publish]="base db net ui import info board"
  [mainwin]="base db net ui splits chart"
  [app]="base db net ui import convert splits chart board info ledger maint mainwin"
)

edges() {
  grep -rHoE '^#include "[a-z]+/' src --include='*.h' --include='*.cpp' \
    | sed -E 's#^src/([a-z]+)/[^:]*:\#include "([a-z]+)/#\1 \2#' \
    | awk '$1 != $2' | sort -u \
    | while read -r from to; do
        # The support libraries (support/: the price data generator) are linked by target, outside src/.
        [ -d "src/$to" ] && echo "$from $to"
      done
}

# The folders in the order src/CMakeLists.txt adds them.
order=$(sed -n 's/^foreach(sub \(.*\))$/\1/p' src/CMakeLists.txt)

table() {
  echo "| folder | may include |"
  echo "|---|---|"
  local f
  for f in $order; do
    local may
    may=$(for t in ${allowed[$f]-}; do printf '`%s` ' "$t"; done | sed 's/ $//')
    echo "| \`$f\` | ${may:-(nothing)} |"
  done
}

if [ "${1:-}" = "--graph" ]; then
  edges
  exit 0
fi
if [ "${1:-}" = "--table" ]; then
  table
  exit 0
fi

status=0
while read -r from to; do
  case " ${allowed[$from]-__unknown__} " in
    *" __unknown__ "*) echo "layers: folder src/$from is not in the layer graph" >&2; status=1 ;;
    *" $to "*) ;;
    *) echo "layers: src/$from may not include src/$to:" >&2
       grep -rlE "^#include \"$to/" "src/$from" >&2
       status=1 ;;
  esac
done < <(edges)

# tsort reports a cycle on stderr.
if edges | tsort 2>&1 >/dev/null | grep -q .; then
  echo "layers: the folders include each other in a cycle:" >&2
  edges | tsort 2>&1 >/dev/null | sed 's/^/  /' >&2
  status=1
fi

# The folder order of the build: every folder after those it may include, and every folder listed.
seen=" "
for f in $order; do
  [ -n "${allowed[$f]+x}" ] || { echo "layers: src/CMakeLists.txt adds $f, which is not in the layer graph" >&2; status=1; }
  for t in ${allowed[$f]-}; do
    case "$seen" in *" $t "*) ;; *) echo "layers: src/CMakeLists.txt adds $f before $t, which it may include" >&2; status=1 ;; esac
  done
  seen+="$f "
done
for f in "${!allowed[@]}"; do
  case "$seen" in *" $f "*) ;; *) echo "layers: $f is in the layer graph but src/CMakeLists.txt does not add it" >&2; status=1 ;; esac
done

# The table in the architecture notes is this one.
documented=$(sed -n '/^<!-- layer table/,/^<!-- end of layer table/p' docs/ARCHITECTURE.md | sed '1d;$d')
if [ "$documented" != "$(table)" ]; then
  echo "layers: the layer table of docs/ARCHITECTURE.md differs from scripts/check-layers.sh --table:" >&2
  diff <(echo "$documented") <(table) >&2 || true
  status=1
fi

# Core files: the sources of miravel_core and the headers they include from src/.
core=$(sed -n '/MIRAVEL_CORE_SOURCES/,/)/p' src/*/sources.cmake | grep -oE '[a-z]+/[A-Za-z0-9_]+\.cpp' | sed 's#^#src/#')
headers=$(grep -hoE '^#include "[a-z]+/[A-Za-z0-9_]+\.h"' $core | sed -E 's#^\#include "(.*)"#src/\1#' | sort -u)
widgets='^#include *<(Qt(Widgets|Svg|PrintSupport)/|Q(Widget|Dialog|MessageBox|MainWindow|Application|FileDialog|LineEdit|PushButton|TableView|Label|ListWidget|ComboBox|CheckBox|Menu|MenuBar|ToolBar|Action|ScrollBar|Layout|[HV]BoxLayout|GridLayout|GroupBox|RadioButton)>)'
bad=$(grep -lE "$widgets" $core $headers 2>/dev/null || true)
if [ -n "$bad" ]; then
  echo "layers: core files include widget headers:" >&2
  echo "$bad" >&2
  status=1
fi

[ $status -eq 0 ] && echo "layers: $(edges | wc -l) folder edges, all downward, no cycle; core files include no widget headers"
exit $status
