#!/usr/bin/env bash
# Counts the Wine server requests that a backup costs per file and per
# directory, for the engine alone and for the real program, full and
# unchanged, beside xcopy (/D on the unchanged run). Three small trees tell
# the costs apart: nothing, 200 files in one directory, and 200 directories
# of one file each. A request is one round
# trip from the program to the server.
#   bench/roundtrips.sh [N]   N files and directories (default 200)
#   ROUNDTRIPS_TOOLS   which to count (default: trx exe xcopy)
#   ROUNDTRIPS_BY_NAME=1   also each request's count, on standard error
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
work=$top/build/bench/roundtrips
n=${1:-200}
rm -rf "$work"
mkdir -p "$work/none/src" "$work/files/src"
for i in $(seq "$n"); do
    head -c 1000 /dev/zero >"$work/files/src/f$i.dat"
    mkdir -p "$work/dirs/src/d$i"
    head -c 1000 /dev/zero >"$work/dirs/src/d$i/f.dat"
done

. scripts/wine-env.sh "$top/build/win"
wine_prefix_init
export TRESORIX_OWN_DISPLAY=1
display_start
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true; display_stop' EXIT
win() { echo "Z:${1//\//\\}"; }
mkdir -p "$work/prog"
cp "$top/build/win/tresorix.exe" "$top/build/win/bench_driver.exe" "$work/prog/"

# TOOL TREE: the number of requests one run makes from the measured
# program's main thread (the run lives there). The server writes its trace
# when it ends, so every count has a server of its own.
count() {
    local tool=$1 src=$work/$2/src dst=$work/$2/dst
    local cmd
    if [ "$tool" = xcopy ]; then
        # /D on the unchanged run, as the bench times it.
        cmd=(wine xcopy /E /I /Y $([ -d "$dst" ] && echo /D) "$(win "$src")" "$(win "$dst")")
    elif [ "$tool" = exe ]; then
        printf 'STANDARDZIEL=%s\r\nBACKUPMODE=0\r\n###\r\n%s\r\nja\r\n*.*\r\n<Standardziel>\r\n' \
            "$(win "$dst")" "$(win "$src")" >"$work/prog/bench.tsi"
        cmd=(wine "$work/prog/tresorix.exe" "$(win "$work/prog/bench.tsi")" /START /CLOSE)
    else
        cmd=(wine "$work/prog/bench_driver.exe" "$(win "$src")" "$(win "$dst")")
    fi
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    WINEDEBUG=+server "${cmd[@]}" </dev/null >/dev/null 2>"$work/trace" || true
    # Killed, it would lose what it has not written yet; it ends by itself.
    wineserver -w </dev/null >/dev/null 2>&1 || true
    # The measured program is the first process, unless the process that
    # `wine` starts first launches it (as for a built-in program).
    awk -v image="${cmd[1]##*[/\\]}" '
        BEGIN { image = tolower(image); if (image !~ /\.exe$/) image = image ".exe" }
        !first && /^[0-9a-f]+: init_first_thread\(/ { first = $1 }
        /^[0-9a-f]+: new_process\( / && index(tolower($0), "\\" image "\"") { launcher = $1 }
        $1 == launcher && /new_process\(\) = 0/ { match($0, /pid=[0-9a-f]+/); pid = substr($0, RSTART, RLENGTH); launcher = "" }
        pid && /init_first_thread\(\) = 0/ && index($0, " " pid ",") { main = $1; pid = "" }
        /^[0-9a-f]+: [a-z_]+\( / { n[$1]++; if (ENVIRON["ROUNDTRIPS_BY_NAME"]) by[$1 " " $2]++ }
        END {
            if (!main) main = first
            print n[main]
            for (r in by) if (index(r, main " ") == 1) print by[r], substr(r, length(main) + 2) > "/dev/stderr"
        }
    ' "$work/trace"
}

printf '%-6s %-6s %10s %10s %10s\n' tool run "base" "per file" "per dir"
for tool in ${ROUNDTRIPS_TOOLS:-trx exe xcopy}; do
    declare -A full=() same=()
    for tree in none files dirs; do
        rm -rf "$work/$tree/dst"
        full[$tree]=$(count "$tool" "$tree")
        same[$tree]=$(count "$tool" "$tree")
        rm -rf "$work/$tree/dst"
    done
    for run in full same; do
        declare -n c=$run
        perFile=$(echo "scale=1; (${c[files]} - ${c[none]}) / $n" | bc -l)
        perDir=$(echo "scale=1; (${c[dirs]} - ${c[none]}) / $n - $perFile" | bc -l)
        printf '%-6s %-6s %10s %10s %10s\n' "$tool" "$run" "${c[none]}" "$perFile" "$perDir"
        unset -n c
    done
done
