#!/usr/bin/env bash
# Mirroring with the real program: /SPIEGELN with /VERSIONEN=30, a first run
# that only sets the marker, then one that moves what the source lost into
# its run folder, for two entries that share a target. Needs WINEPREFIX and
# DISPLAY (scripts/test.sh).
# Usage: mirror.sh PATH/TO/tresorix.exe
set -uo pipefail
exe=$1
. "$(dirname "$0")/lib.sh"

mkdir -p "$work/prog" "$work/a/sub" "$work/b" "$work/dst"
cp "$exe" "$work/prog/tresorix.exe"
prog=$work/prog/tresorix.exe
log=$work/prog/tresorix.log
run() {
    (cd "$work" && timeout 120 wine "$prog" "$@" </dev/null >/dev/null 2>&1)
    rc=$?
}
printf 'a' >"$work/a/keep.txt"
printf 'gone' >"$work/a/sub/gone.txt"
printf 'b' >"$work/b/b.txt"
touch -d '2024-05-01 10:00:00' "$work/a/sub/gone.txt"
printf 'STANDARDZIEL=%s\r\nBACKUPMODE=0\r\n' "$(win "$work/dst")" >"$work/set.tsi"
for source in a b; do
    printf '###\r\n%s\r\nja\r\n*.txt\r\n%s\r\n' "$(win "$work/$source")" "$(win "$work/dst")" >>"$work/set.tsi"
done
marker=$work/dst/Tresorix-Versionen/Tresorix-Spiegel.txt

run "$(win "$work/set.tsi")" /START /CLOSE /SKIPERRORS /SPIEGELN /VERSIONEN=30
check "first run: code 0" test $rc = 0
check "first run: the marker is written" test -f "$marker"
check "first run: nothing moves, and the log says why" grep -q "erster Lauf" "$log"
check "first run: both entries saved into the shared target" test -f "$work/dst/sub/gone.txt" -a -f "$work/dst/b.txt"

rm -r "$work/a/sub"
sleep 1
run "$(win "$work/set.tsi")" /START /CLOSE /SKIPERRORS /SPIEGELN /VERSIONEN=30
check "second run: code 0" test $rc = 0
moved=$(find "$work/dst/Tresorix-Versionen" -name gone.txt)
check "second run: the lost file is in a run folder, bytes and time kept" eval \
    '[ -n "$moved" ] && [ "$(cat "$moved")" = gone ] && [ "$(stat -c %Y "$moved")" = "$(date -d "2024-05-01 10:00:00" +%s)" ]'
check "second run: it left the target, its empty folder too" test ! -e "$work/dst/sub"
check "second run: the other entry's file stays" test -f "$work/dst/b.txt" -a -f "$work/dst/keep.txt"
check "second run: the log names the moved file" grep -q "verschoben (fehlt in der Quelle): .*gone.txt" "$log"

rm "$work/b/b.txt"
run "$(win "$work/set.tsi")" /START /CLOSE /SKIPERRORS /VERSIONEN=30
check "without /SPIEGELN nothing moves" test -f "$work/dst/b.txt"

echo "mirror: $failures failed"
[ $failures -eq 0 ]
