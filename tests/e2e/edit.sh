#!/usr/bin/env bash
# End-to-end entry editing with the keyboard, as a user would: Einfg opens
# the source dialog, a directory is opened and chosen in the tree, a filter
# picked, OK; Strg+S saves the set, Strg+D runs it, and the chosen files are
# in the target. Needs WINEPREFIX and DISPLAY (scripts/test.sh).
# Usage: edit.sh PATH/TO/tresorix.exe
set -uo pipefail
exe=$1
. "$(dirname "$0")/lib.sh"
# The X window of a top-level window whose title matches, waited for up to 30 s.
window() {
    local w
    for _ in $(seq 1 60); do
        w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.5
    done
    return 1
}
gone() {
    for _ in $(seq 1 60); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.5
    done
    return 1
}
keys() {  # WINDOW KEY...
    local w=$1
    shift
    xdotool windowfocus --sync "$w" 2>/dev/null || xdotool windowfocus "$w"
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.3
    done
}

# The program starts in the parent of the source, so the source dialog
# opens there; the set file exists (without entries) so that Strg+S saves
# to it without asking for a name.
mkdir -p "$work/prog" "$work/quelle/daten/unter" "$work/ziel"
cp "$exe" "$work/prog/tresorix.exe"
printf 'eins\r\n' >"$work/quelle/daten/a.txt"
printf 'zwei\r\n' >"$work/quelle/daten/b.txt"
printf 'nein' >"$work/quelle/daten/c.doc"
printf 'tiefer' >"$work/quelle/daten/unter/d.txt"
set_file=$work/set.tsi
printf 'STANDARDZIEL=%s\r\nBACKUPMODE=0\r\n' "$(win "$work/ziel")" >"$set_file"
printf '[STANDARDS]\r\nFILENAME=%s\r\nFILEAUTOLOAD=1\r\nBACKUPDIR=%s\r\n' \
    "$(win "$set_file")" "$(win "$work/ziel")" >"$work/prog/tresorix.INI"

(cd "$work/quelle" && exec wine "$work/prog/tresorix.exe" </dev/null >/dev/null 2>&1) &
pid=$!
main=$(window '^ Tresorix  -  set.tsi$') || { fail "main window shown"; exit 1; }
keys "$main" Insert
dialog=$(window '^ neuen Eintrag anlegen$')
check "Einfg opens the source dialog" test -n "$dialog"
# The tree has the start directory selected: open it, go down to "daten".
# Back over the drive selector to the filters: the second is *.txt. Alt+O.
keys "$dialog" plus Down shift+Tab shift+Tab Down alt+o
check "OK closes the source dialog" gone '^ neuen Eintrag anlegen$'
keys "$main" ctrl+s
for _ in $(seq 1 60); do
    grep -q '^###' "$set_file" && break
    sleep 0.5
done
# The tree gives its directories in lower case.
source_line=$(win "$work/quelle/daten" | tr 'A-Z' 'a-z')$'\r'
check "the set file holds the new entry" grep -qxF "$source_line" "$set_file"
check "the entry has the filter's masks" grep -q $'^\\*\\.txt\r$' "$set_file"
check "the entry takes the default target with the source path" grep -q $'^<Standardziel><Quellpfad>\r$' "$set_file"

keys "$main" ctrl+d
rel=$(win "$work/quelle/daten" | sed 's/^[A-Za-z]:\\//; s/\\/\//g' | tr 'A-Z' 'a-z')
for _ in $(seq 1 60); do
    [ -e "$work/ziel/$rel/b.txt" ] && break
    sleep 0.5
done
check "text files copied into the target" cmp -s "$work/quelle/daten/a.txt" "$work/ziel/$rel/a.txt"
check "every text file copied" cmp -s "$work/quelle/daten/b.txt" "$work/ziel/$rel/b.txt"
check "other files left out" test ! -e "$work/ziel/$rel/c.doc"
check "subdirectories left out" test ! -e "$work/ziel/$rel/unter"

# The run's summary, then the program ends.
summary=$(window '^Information$')
check "the run ends with its summary" test -n "$summary"
[ -n "$summary" ] && keys "$summary" Return
keys "$main" alt+x
for _ in $(seq 1 60); do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
check "the program ends" bash -c "! kill -0 $pid 2>/dev/null"

echo "edit e2e: $failures failed"
[ $failures -eq 0 ]
