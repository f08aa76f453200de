#!/usr/bin/env bash
# The real program killed in the middle of a large file that is to replace
# an older copy ("always overwrite"): the older copy must survive intact, and
# the next run must complete the new one and leave nothing of its own behind.
# Needs WINEPREFIX and DISPLAY (scripts/test.sh).
# Usage: killrun.sh PATH/TO/tresorix.exe
set -uo pipefail
exe=$1
. "$(dirname "$0")/lib.sh"
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

mkdir -p "$work/prog" "$work/src" "$work/dst"
cp "$exe" "$work/prog/tresorix.exe"
prog=$work/prog/tresorix.exe
# The new version: 1 GiB, mostly a hole that costs nothing to read, with
# random bytes at both ends; the copy of it takes long enough to be caught.
head -c 1048576 /dev/urandom >"$work/src/big.bin"
truncate -s 1073741824 "$work/src/big.bin"
head -c 4096 /dev/urandom >>"$work/src/big.bin"
touch -d '2024-05-01 10:00:00' "$work/src/big.bin"
# The older copy in the target.
head -c 300000 /dev/urandom >"$work/dst/big.bin"
touch -d '2020-05-01 10:00:00' "$work/dst/big.bin"
old_sum=$(md5sum <"$work/dst/big.bin")
old_time=$(stat -c %Y "$work/dst/big.bin")
set_file=$work/set.tsi
printf 'STANDARDZIEL=%s\r\nBACKUPMODE=1\r\n###\r\n%s\r\nnein\r\nbig.bin\r\n<Standardziel>\r\n' \
    "$(win "$work/dst")" "$(win "$work/src")" >"$set_file"

# Wait for the copy to appear under its temporary name and grow past 16 MiB,
# then kill the program as a power cut or the task manager would.
wine "$prog" "$(win "$set_file")" /START /CLOSE </dev/null >/dev/null 2>&1 &
pid=$!
temporary=
for _ in $(seq 1 2400); do
    temporary=$(ls "$work/dst/"big.bin.* 2>/dev/null | head -n 1)
    [ -n "$temporary" ] && [ "$(size_of "$temporary")" -ge 16777216 ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.05
done
kill -9 $pid 2>/dev/null
wait $pid 2>/dev/null
pid=
check "killed while the copy was under way" test -n "$temporary" -a "$(size_of "$temporary")" -lt 1073745920
check "older copy intact after the kill" test "$(md5sum <"$work/dst/big.bin")" = "$old_sum"
check "older copy keeps its time" test "$(stat -c %Y "$work/dst/big.bin")" = "$old_time"
check "the killed run's record names its entry" \
    eval 'tail -n 1 "$work/prog/tresorix.log" | grep -qF "Eintrag 1: $(win "$work/src")\\ (ohne Unterverzeichnisse)  Dateien: big.bin"'

# The next run, left to finish.
wine "$prog" "$(win "$set_file")" /START /CLOSE </dev/null >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 1200); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
kill -0 $pid 2>/dev/null && fail "second run did not end within two minutes"
wait $pid 2>/dev/null
pid=
check "next run completes the new copy" cmp -s "$work/src/big.bin" "$work/dst/big.bin"
check "new copy has the source's time" test "$(stat -c %Y "$work/dst/big.bin")" = "$(stat -c %Y "$work/src/big.bin")"
check "nothing left under a temporary name" test "$(ls "$work/dst")" = "big.bin"
check "the next record says the killed one has no end" \
    grep -qF "Der vorige Bericht hat kein Ende" "$work/prog/tresorix.log"

echo "killrun: $failures failed"
[ $failures -eq 0 ]
