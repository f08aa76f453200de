#!/usr/bin/env bash
# Times Tresorix's engine against the peers under the same Wine (xcopy) and
# against native cp and rsync, on the same generated data in the same run.
# Prints medians and ratios; the last line is the summary.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
work=$top/build/bench
runs=${BENCH_RUNS:-5}
small=${BENCH_SMALL:-10000}
mkdir -p "$work"

. scripts/wine-env.sh "$top/build/win"
wine_prefix_init
# The program's windows need a display: a virtual one of the run's own.
export TRESORIX_OWN_DISPLAY=1
display_start
wineserver_start
trap 'wineserver_stop; display_stop' EXIT

driver=$top/build/win/bench_driver.exe
g++ -O2 -std=c++20 bench/gentree.cpp -o "$work/gentree"
make_tree() {  # DIR SMALL LARGE LARGE_MIB
    [ -f "$1/.done" ] && return
    rm -rf "$1"
    "$work/gentree" "$1/src" "$2" "$3" "$4"
    touch "$1/.done"
}
make_tree "$work/full" "$small" 0 0
make_tree "$work/tenth" $((small / 10)) 0 0
make_tree "$work/large" 0 3 256
win() { echo "Z:${1//\//\\}"; }

# The real program runs a set file unattended; it keeps its settings beside
# itself, so it runs from a folder of its own.
mkdir -p "$work/prog"
cp "$top/build/win/tresorix.exe" "$work/prog/"
exe_set() {  # SOURCE TARGET: the set the program runs next
    printf 'STANDARDZIEL=%s\r\nBACKUPMODE=0\r\n###\r\n%s\r\nja\r\n*.*\r\n<Standardziel>\r\n' \
        "$(win "$2")" "$(win "$1")" >"$work/prog/bench.tsi"
}
exe=(wine "$work/prog/tresorix.exe" "$(win "$work/prog/bench.tsi")" /START /CLOSE)

# Runs a command; appends "seconds peak-kB" to the named result file.
measure() {
    local out=$1
    shift
    # Dirty pages of the previous step would be written during this one.
    sync
    /usr/bin/time -f "%e %M" -o "$work/last" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    cat "$work/last" >>"$work/$out"
}
median() {  # FILE COLUMN
    sort -n -k"$2","$2" "$work/$1" | awk -v c="$2" '{v[NR]=$c} END {print v[int((NR+1)/2)]}'
}

rm -f "$work"/*.res
for _ in $(seq "$runs"); do
    for t in full large; do
        src=$work/$t/src dst=$work/$t/dst
        rm -rf "$dst"; measure $t-trx-full.res wine "$driver" "$(win "$src")" "$(win "$dst")"
        measure $t-trx-same.res wine "$driver" "$(win "$src")" "$(win "$dst")"
        exe_set "$src" "$dst"
        rm -rf "$dst"; measure $t-exe-full.res "${exe[@]}"
        measure $t-exe-same.res "${exe[@]}"
        rm -rf "$dst"; measure $t-xcopy-full.res wine xcopy /E /I /Y "$(win "$src")" "$(win "$dst")"
        measure $t-xcopy-same.res wine xcopy /E /I /Y /D "$(win "$src")" "$(win "$dst")"
        rm -rf "$dst"; measure $t-cp.res cp -a "$src" "$dst"
        rm -rf "$dst"; measure $t-rsync.res rsync -a "$src/" "$dst/"
        rm -rf "$dst"
    done
    rm -rf "$work/tenth/dst"
    measure tenth-trx-full.res wine "$driver" "$(win "$work/tenth/src")" "$(win "$work/tenth/dst")"
done

printf '%-34s %10s %10s\n' "median of $runs runs" seconds "peak MiB"
for r in full-exe-full full-trx-full full-xcopy-full full-exe-same full-trx-same full-xcopy-same full-cp \
         full-rsync large-exe-full large-trx-full large-xcopy-full large-cp large-rsync tenth-trx-full; do
    printf '%-34s %10s %10.1f\n' "$r" "$(median $r.res 1)" "$(echo "$(median $r.res 2) / 1024" | bc -l)"
done
ratio() { echo "scale=2; $1 / $2" | bc -l | sed 's/^\./0./'; }
# Times are those of the program itself, with its windows; memory is the
# engine's alone, since a window's own footprint does not grow with the tree.
F=$(ratio "$(median full-exe-full.res 1)" "$(median full-xcopy-full.res 1)")
U=$(ratio "$(median full-exe-same.res 1)" "$(median full-xcopy-same.res 1)")
L=$(ratio "$(median large-exe-full.res 1)" "$(median large-cp.res 1)")
M=$(ratio "$(median full-trx-full.res 2)" "$(median tenth-trx-full.res 2)")
echo "bench: full $F unchanged $U large $L memory $M"
