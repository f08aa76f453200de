#!/usr/bin/env bash
# Times Tresorix (the real program and the engine alone) against the peers
# under the same Wine (xcopy) and against native cp and rsync, on the same
# data in the same run. Start-up is also set against its floor, a bare
# program that shows the same two windows and does nothing else
# (bench/floor.cpp). Prints medians and ratios; the last line is the
# summary. The machine may be busy: only ratios of one run mean anything.
#
#   BENCH_RUNS   runs per measurement, the median is reported (default 3)
#   BENCH_TREES  which parts to run (default: real doc full large flat start
#                probe);
#                e.g. BENCH_TREES=real BENCH_RUNS=1 for a quick look
#   BENCH_BASELINE=EXE  an earlier tresorix.exe, run beside the current one
#                (as "old") for a before/after table from one run
#   BENCH_FLAT_FULL=1  also the full run into one directory of 20,000 files
#                (minutes: quadratic under Wine for every Windows program)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
work=$top/build/bench
runs=${BENCH_RUNS:-3}
trees=" ${BENCH_TREES:-real doc full large flat start probe} "
mkdir -p "$work"
has() { [[ $trees == *" $1 "* ]]; }

. scripts/wine-env.sh "$top/build/win"
wine_prefix_init
# The program's windows need a display: a virtual one of the run's own.
export TRESORIX_OWN_DISPLAY=1
display_start
wineserver_start
trap 'wineserver_stop; display_stop' EXIT
# Under Wine the desktop process ends a second after the last program that
# used it, and the next program's start starts it again, which took 0.1 to
# 0.2 s here; on Windows it is always there. A program that waits for input
# that never comes holds it for the whole bench, so that no start pays for
# it, whether it follows another at once or after a pause.
# Its input is a pipe that it holds open for writing itself.
[ -p "$work/hold" ] || mkfifo "$work/hold"
wine cmd /c pause <>"$work/hold" >/dev/null 2>&1 &

driver=$top/build/win/bench_driver.exe
floor=$top/build/win/bench_floor.exe
g++ -O2 -std=c++20 bench/gentree.cpp -o "$work/gentree"
# DIR COMMAND...: builds DIR/src once with the command.
make_tree() {
    local dir=$1
    shift
    [ -f "$dir/.done" ] && return
    rm -rf "$dir"
    "$@"
    touch "$dir/.done"
}
# Data that nobody here wrote: the system's documentation, links dereferenced
# and dangling ones dropped (rsync reports those with 23).
copy_doc() {
    mkdir -p "$work/doc"
    rsync -rtL /usr/share/doc/ "$work/doc/src/" >/dev/null 2>&1 || [ $? = 23 ]
}
has full && make_tree "$work/full" "$work/gentree" "$work/full/src" 10000 0 0
has full && make_tree "$work/tenth" "$work/gentree" "$work/tenth/src" 1000 0 0
has large && make_tree "$work/large" "$work/gentree" "$work/large/src" 0 3 256
has real && make_tree "$work/real" "$work/gentree" --real "$work/real/src" 6000
has doc && make_tree "$work/doc" copy_doc
has flat && make_tree "$work/flat1k" "$work/gentree" --flat "$work/flat1k/src" 1000 100
has flat && make_tree "$work/flat20k" "$work/gentree" --flat "$work/flat20k/src" 20000 100
has start && mkdir -p "$work/empty/src"
win() { echo "Z:${1//\//\\}"; }

# The real program runs a set file unattended; it keeps its settings beside
# itself, so it runs from a folder of its own.
mkdir -p "$work/prog"
cp "$top/build/win/tresorix.exe" "$work/prog/"
exe_set() {  # SOURCE TARGET: the set the program runs next
    printf 'STANDARDZIEL=%s\r\nBACKUPMODE=0\r\n###\r\n%s\r\nja\r\n*.*\r\n<Standardziel>\r\n' \
        "$(win "$2")" "$(win "$1")" >"$work/prog/bench.tsi"
}
# Unattended, as a scheduled run: real data holds names that differ only in
# case, which a Windows target refuses for the second one.
exe=(wine "$work/prog/tresorix.exe" "$(win "$work/prog/bench.tsi")" /START /CLOSE /SKIPERRORS)
# The earlier program runs from the same path: each start registers the
# set-file type with the program's path, and one that finds another path
# there writes its own and tells the shell, which two paths in turn would
# make every start pay.
old=${BENCH_BASELINE:-}
# A program from before told the shell of the file type at every start,
# and Wine then ran its menu builder for a second beside whatever came
# next: the next measurement waits for it.
measure_old() {  # RESULT
    cp "$BENCH_BASELINE" "$work/prog/tresorix.exe"
    measure "$1" "${exe[@]}"
    cp "$top/build/win/tresorix.exe" "$work/prog/tresorix.exe"
    while pgrep -f winemenubuilder >/dev/null; do sleep 0.1; done
}
tools="exe trx xcopy cp rsync${old:+ old}"

# Runs a command; appends "seconds peak-kB" to the named result file.
measure() {
    local out=$1
    shift
    # Dirty pages of the previous step would be written during this one.
    sync
    # 1: finished with something passed over (the program's twins).
    /usr/bin/time -q -f "%e %M" -o "$work/last" "$@" >/dev/null 2>&1 || [ $? = 1 ] || { echo "failed: $*" >&2; exit 1; }
    cat "$work/last" >>"$work/$out"
}
median() {  # FILE COLUMN
    sort -n -k"$2","$2" "$work/$1" | awk -v c="$2" '{v[NR]=$c} END {print v[int((NR+1)/2)]}'
}
ratio() { echo "scale=2; $1 / $2" | bc -l | sed 's/^\./0./'; }

# One run of TOOL over SRC into DST, KIND full or same (/D for xcopy, as it
# would be used for an update).
run_tool() {  # TOOL KIND RESULT SRC DST
    local kind=$2 out=$3 src=$4 dst=$5
    case $1 in
    exe) measure "$out" "${exe[@]}" ;;
    old) measure_old "$out" ;;
    trx) measure "$out" wine "$driver" "$(win "$src")" "$(win "$dst")" ;;
    xcopy) measure "$out" wine xcopy /E /I /Y $([ "$kind" = same ] && echo /D) "$(win "$src")" "$(win "$dst")" ;;
    cp) if [ "$kind" = full ]; then measure "$out" cp -a "$src" "$dst"; else measure "$out" cp -au "$src/." "$dst/"; fi ;;
    rsync) measure "$out" rsync -a "$src/" "$dst/" ;;
    esac
}
# The tools from the ROUND-th on, then those before it. The first run after
# the last tree's removal ran slower than the next ones; with each round
# starting at another tool, that falls on each in turn.
in_turn() {  # ROUND
    local list=($tools) i
    for ((i = 0; i < ${#list[@]}; i++)); do echo "${list[(i + $1) % ${#list[@]}]}"; done
}

# Every tool on one tree, full copy into an empty target and again unchanged.
bench_tree() {  # NAME ROUND
    local t=$1 src=$work/$1/src dst=$work/$1/dst tool
    exe_set "$src" "$dst"
    for tool in $(in_turn "$2"); do
        rm -rf "$dst"; run_tool $tool full $t-$tool-full.res "$src" "$dst"
        run_tool $tool same $t-$tool-same.res "$src" "$dst"
    done
    rm -rf "$dst"
}

# Unchanged runs over one directory, the target filled beforehand with the
# same times; the full run only for the record.
bench_flat() {  # NAME FULL
    local t=$1 src=$work/$1/src dst=$work/$1/dst
    rm -rf "$dst"; cp -a "$src" "$dst"
    exe_set "$src" "$dst"
    measure $t-exe-same.res "${exe[@]}"
    measure $t-trx-same.res wine "$driver" "$(win "$src")" "$(win "$dst")"
    measure $t-xcopy-same.res wine xcopy /E /I /Y /D "$(win "$src")" "$(win "$dst")"
    if [ -n "$old" ]; then measure_old $t-old-same.res; fi
    if [ "$2" = 1 ]; then
        rm -rf "$dst"; measure $t-exe-full.res "${exe[@]}"
        rm -rf "$dst"; measure $t-xcopy-full.res wine xcopy /E /I /Y "$(win "$src")" "$(win "$dst")"
    fi
    rm -rf "$dst"
}

rm -f "$work"/*.res
for run in $(seq "$runs"); do
    for t in real doc full; do
        has $t && bench_tree $t "$run"
    done
    if has full; then
        rm -rf "$work/tenth/dst"
        measure tenth-trx-full.res wine "$driver" "$(win "$work/tenth/src")" "$(win "$work/tenth/dst")"
        rm -rf "$work/tenth/dst"
    fi
    if has large; then
        src=$work/large/src dst=$work/large/dst
        exe_set "$src" "$dst"
        # What the system does in the seconds after the last copy's removal
        # slowed a copy that started then by a second of 0.6: one that
        # started at once mostly got through, one that started a third of a
        # second later (after a window's start-up) mostly did not, and one
        # that started after eight seconds ran at full speed. Every copy
        # starts after that time.
        settle() { rm -rf "$dst"; sync; sleep 10; }
        # The first copy after the other trees' removal ran up to twice as
        # long as the next ones: one that nobody times goes first.
        settle; cp -a "$src" "$dst"
        for tool in $(in_turn "$run"); do
            settle; run_tool $tool full large-$tool-full.res "$src" "$dst"
        done
        rm -rf "$dst"
    fi
    if has flat; then
        # The full runs into one directory only once: they add nothing but minutes.
        bench_flat flat1k $([ "$run" = 1 ] && echo 1 || echo 0)
        bench_flat flat20k $([ "$run" = 1 ] && [ "${BENCH_FLAT_FULL:-0}" = 1 ] && echo 1 || echo 0)
    fi
    if has start; then
        # The fixed cost: start to end with nothing to copy.
        exe_set "$work/empty/src" "$work/empty/dst"
        for _ in 1 2 3; do
            measure start-exe.res "${exe[@]}"
            measure start-floor.res wine "$floor"
            measure start-xcopy.res wine xcopy /E /I /Y /D "$(win "$work/empty/src")" "$(win "$work/empty/dst")"
            if [ -n "$old" ]; then measure_old start-old.res; fi
        done
    fi
done

show() {  # RESULT [LABEL]
    [ -f "$work/$1.res" ] || return 0
    printf '%-22s %9s %9.1f\n' "${2:-$1}" "$(median $1.res 1)" "$(echo "$(median $1.res 2) / 1024" | bc -l)"
}
# "A / B" of two medians, or "-" when either was not measured.
over() {
    [ -f "$work/$1.res" ] && [ -f "$work/$2.res" ] || { echo -; return; }
    ratio "$(median $1.res 1)" "$(median $2.res 1)"
}

echo
echo "medians of $runs runs, seconds and peak MiB"
for t in real doc full; do
    has $t || continue
    for k in full same; do
        for tool in $tools; do show $t-$tool-$k; done
        echo "  $t $k: program/xcopy $(over $t-exe-$k $t-xcopy-$k)  program/engine $(over $t-exe-$k $t-trx-$k)" \
             " engine/xcopy $(over $t-trx-$k $t-xcopy-$k)  program/cp $(over $t-exe-$k $t-cp-$k)" \
             "${old:+ before/xcopy $(over $t-old-$k $t-xcopy-$k)  before/engine $(over $t-old-$k $t-trx-$k)}"
    done
done
if has large; then
    for tool in $tools; do show large-$tool-full; done
    echo "  large: program/xcopy $(over large-exe-full large-xcopy-full)  program/cp $(over large-exe-full large-cp-full)" \
         " program/engine $(over large-exe-full large-trx-full)"
fi
if has flat; then
    echo "one directory of small files, unchanged, milliseconds per file:"
    for t in flat1k flat20k; do
        n=$([ $t = flat1k ] && echo 1000 || echo 20000)
        per() { [ -f "$work/$1.res" ] && echo "scale=3; $(median $1.res 1) * 1000 / $n" | bc -l | sed 's/^\./0./' || echo -; }
        echo "  $n files: program $(per $t-exe-same)  engine $(per $t-trx-same)  xcopy /D $(per $t-xcopy-same)" \
             "${old:+ before $(per $t-old-same)}" \
             "  program/xcopy $(over $t-exe-same $t-xcopy-same)"
        [ -f "$work/$t-exe-full.res" ] &&
            echo "  $n files, full run (for the record; Wine scans the directory for every new name):" \
                 "program $(median $t-exe-full.res 1) s  xcopy $(median $t-xcopy-full.res 1) s"
    done
fi
if has start; then
    show start-exe "start program"
    show start-floor "start floor"
    show start-xcopy "start xcopy"
    show start-old "start before"
fi

if has probe; then
    # What single steps of a copy cost, beside a whole small file: the free
    # space asked before every file, and the temporary name and rename that
    # keep an old copy until the new one is complete.
    for n in 20 500; do
        echo "single calls in a directory of $n files, milliseconds each:"
        rm -rf "$work/probe"
        wine "$driver" --probe "$(win "$work/probe")" $n | sed 's/^/  /'
    done
    rm -rf "$work/probe"
fi

# Times are those of the program itself, with its windows; memory is the
# engine's alone, since a window's own footprint does not grow with the tree.
F=$(over full-exe-full full-xcopy-full)
U=$(over full-exe-same full-xcopy-same)
L=$(over large-exe-full large-xcopy-full)
M=-
has full && M=$(ratio "$(median full-trx-full.res 2)" "$(median tenth-trx-full.res 2)")
RF=$(over real-exe-full real-xcopy-full)
RU=$(over real-exe-same real-xcopy-same)
S=$(over start-exe start-xcopy)
FL=$(over start-exe start-floor)
# What the window adds to the copying: the program's time less its own empty
# start, over the engine's (net, the largest over the full-run trees and the
# large files) and over xcopy's on the large files (large-net).
minus_start() {  # RESULT: its median less the empty start's, or nothing
    [ -f "$work/$1.res" ] && [ -f "$work/start-exe.res" ] || return 0
    echo "$(median $1.res 1) - $(median start-exe.res 1)" | bc -l
}
net_over() {  # PROGRAM-RESULT OTHER-RESULT
    local n
    n=$(minus_start "$1")
    [ -n "$n" ] && [ -f "$work/$2.res" ] && ratio "$n" "$(median $2.res 1)"
}
NET=-
for t in real doc full large; do
    r=$(net_over $t-exe-full $t-trx-full) || true
    [ -n "$r" ] || continue
    if [ "$NET" = - ] || [ "$(echo "$r > $NET" | bc -l)" = 1 ]; then NET=$r; fi
    echo "  $t: (program - empty start)/engine $r"
done
LN=$(net_over large-exe-full large-xcopy-full) || true
echo "bench: full $F unchanged $U large $L memory $M real-full $RF real-unchanged $RU start $S floor $FL net $NET large-net ${LN:--}"
