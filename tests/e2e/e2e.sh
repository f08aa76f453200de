#!/usr/bin/env bash
# End-to-end checks of the real program under Wine: unattended backup from
# the command line, the settings file it leaves, the registry entries, and a
# first start without settings. Needs WINEPREFIX and DISPLAY (scripts/test.sh).
# Usage: e2e.sh PATH/TO/tresorix.exe
set -uo pipefail
exe=$1
. "$(dirname "$0")/lib.sh"
# Runs the program and waits for it to end by itself, at most 60 s.
run_until_exit() {
    wine "$@" </dev/null >/dev/null 2>&1 &
    local pid=$! waited=0
    while kill -0 $pid 2>/dev/null; do
        sleep 0.5
        waited=$((waited + 1))
        if [ $waited -gt 120 ]; then
            kill $pid
            return 1
        fi
    done
}
reg_value() {  # KEY [VALUE]
    if [ -n "${2:-}" ]; then
        wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v { sub(/^[ \t]*[^ \t]+[ \t]+REG_SZ[ \t]+/, ""); print }'
    else
        wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ { sub(/^.*REG_SZ[ \t]+/, ""); print }'
    fi
}

# The program keeps its settings beside itself: each case gets its own copy.
mkdir -p "$work/prog" "$work/src/sub" "$work/dst"
cp "$exe" "$work/prog/tresorix.exe"
prog=$work/prog/tresorix.exe
printf 'eins\r\n' >"$work/src/a.txt"
head -c 200000 /dev/urandom >"$work/src/sub/b.bin"
printf 'nicht' >"$work/src/c.tmp"
touch -d '2021-03-04 05:06:08' "$work/src/a.txt" "$work/src/sub/b.bin"
set_file=$work/set.tsi
printf 'STANDARDZIEL=%s\r\nBACKUPMODE=0\r\n###\r\n%s\r\nja\r\n*.txt;*.bin\r\n<Standardziel>\r\n' \
    "$(win "$work/dst")" "$(win "$work/src")" >"$set_file"

run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
wine reg delete "$run_key" /v Tresorix /f >/dev/null 2>&1
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Tresorix /f >/dev/null 2>&1
# Ticks "load at every Windows start": the value exists and names this program.
wine reg add "$run_key" /v Tresorix /d "$(win "$prog") /HKLMRUN" /f >/dev/null 2>&1

check "unattended run ends by itself" run_until_exit "$prog" "$(win "$set_file")" /START /CLOSE
check "text file copied" cmp -s "$work/src/a.txt" "$work/dst/a.txt"
check "binary file in a subdirectory copied" cmp -s "$work/src/sub/b.bin" "$work/dst/sub/b.bin"
check "last-write time kept" test "$(stat -c %Y "$work/src/sub/b.bin")" = "$(stat -c %Y "$work/dst/sub/b.bin" 2>/dev/null)"
check "unmatched file left out" test ! -e "$work/dst/c.tmp"

ini=$work/prog/tresorix.INI
for section in WINDOW BACKUPDIRLIST COLUMNS STANDARDS FILTER; do
    check "settings file has [$section]" grep -q "^\[$section\]" "$ini"
done
check "settings keep the set file" test "$(ini_value "$ini" STANDARDS FILENAME)" = "$(win "$set_file")"
check "settings keep the default target" test "$(ini_value "$ini" STANDARDS BACKUPDIR)" = "$(win "$work/dst")"
check "settings keep the preset filters" test "$(ini_value "$ini" FILTER 8)" = 'DLL-Dateien (*.DLL;*.OCX;*.VBX;*.VXD)|*.DLL;*.OCX;*.VBX;*.VXD'
check "settings lines end in CR LF" grep -q $'^\\[STANDARDS\\]\r$' "$ini"

expected="$(win "$prog") /HKLMRUN /START /CLOSE \"$(win "$set_file")\""
check "autostart command written" test "$(reg_value "$run_key" Tresorix)" = "$expected"
check "set-file type registered" test "$(reg_value 'HKCR\.tsi')" = "tsifile"
check "set-file type described" test "$(reg_value 'HKCR\tsifile')" = "Tresorix Sicherungs-Set"
check "set-file open command" test "$(reg_value 'HKCR\tsifile\shell\open\command')" = "$(win "$prog") \"%1\""
wine reg delete "$run_key" /v Tresorix /f >/dev/null 2>&1

# Versions: a second run with /VERSIONEN=30 replaces a.txt and keeps the old
# copy in a run folder named by its start, with its bytes and time; the
# switch is not saved.
cp "$work/dst/a.txt" "$work/a.old"
printf 'zwei\r\n' >"$work/src/a.txt"
touch -d '2022-03-04 05:06:08' "$work/src/a.txt"
check "run with /VERSIONEN ends by itself" run_until_exit "$prog" "$(win "$set_file")" /START /CLOSE /VERSIONEN=30
check "versions: new copy in place" cmp -s "$work/src/a.txt" "$work/dst/a.txt"
kept=$(find "$work/dst/Tresorix-Versionen" -name a.txt 2>/dev/null | head -1)
check "versions: one run folder named by a stamp" test "$(ls "$work/dst/Tresorix-Versionen" 2>/dev/null | grep -cE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}-[0-9]{2}-[0-9]{2}$')" = 1
check "versions: old copy kept with its bytes" cmp -s "$work/a.old" "$kept"
check "versions: old copy keeps its time" test "$(stat -c %Y "$kept" 2>/dev/null)" = "$(date -d '2021-03-04 05:06:08' +%s)"
check "versions: the switch is not saved" test -z "$(ini_value "$ini" STANDARDS VERSIONEN)"

# First start: no settings file, no arguments. Closed from outside as a user
# would, it writes where it put itself.
mkdir -p "$work/first"
cp "$exe" "$work/first/tresorix.exe"
wine "$work/first/tresorix.exe" </dev/null >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 60); do
    xdotool search --name '^ Tresorix$' >/dev/null 2>&1 && break
    sleep 0.5
done
import -window root "$work/first.png" 2>/dev/null
wine taskkill /IM tresorix.exe >/dev/null 2>&1
for _ in $(seq 1 60); do kill -0 $pid 2>/dev/null || break; sleep 0.5; done
kill $pid 2>/dev/null
ini=$work/first/tresorix.INI
read -r sw sh < <(xdpyinfo 2>/dev/null | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
sw=${sw:-1280} sh=${sh:-1024}
check "first start: left at a sixteenth" test "$(ini_value "$ini" WINDOW LEFT)" = $((sw / 16))
check "first start: top at a sixteenth" test "$(ini_value "$ini" WINDOW TOP)" = $((sh / 16))
check "first start: 90 % wide" test "$(ini_value "$ini" WINDOW WIDTH)" = $(((sw * 9 + 5) / 10))
check "first start: 80 % high" test "$(ini_value "$ini" WINDOW HEIGHT)" = $(((sh * 8 + 5) / 10))
check "first start: default target c:\\backup" test "$(ini_value "$ini" STANDARDS BACKUPDIR)" = 'c:\backup'

echo "e2e: $failures failed"
[ $failures -eq 0 ]
