#!/usr/bin/env bash
# The record an unattended run leaves: the run log beside the settings file
# (or /LOG=), the process's exit code, and /SKIPERRORS answering prompts
# without a box. Also: an entry whose target is not a full path is passed
# over with a message. Needs WINEPREFIX and DISPLAY (scripts/test.sh).
# Usage: runlog.sh PATH/TO/tresorix.exe
set -uo pipefail
exe=$1
. "$(dirname "$0")/lib.sh"

mkdir -p "$work/prog" "$work/cwd"
cp "$exe" "$work/prog/tresorix.exe"
prog=$work/prog/tresorix.exe
log=$work/prog/tresorix.log

# Starts the program in $work/cwd with the arguments; rc := its exit code
# once it ended by itself, or 99 when it did not within a minute.
start() {
    (cd "$work/cwd" && exec wine "$prog" "$@" </dev/null >/dev/null 2>&1) &
    pid=$!
}
wait_exit() {
    rc=99
    for _ in $(seq 1 600); do
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $pid 2>/dev/null; then
        kill -9 $pid 2>/dev/null
        wait $pid 2>/dev/null
    else
        wait $pid
        rc=$?
    fi
    pid=
}
run() {
    start "$@"
    wait_exit
}
# Waits for a message box (title "Bestätigung" or "Information") and
# presses KEY in it; fails when none came within 30 s.
answer() {  # KEY
    local box
    box=$(timeout 30 xdotool search --sync --onlyvisible --name '^(Bestätigung|Information)$' 2>/dev/null | head -1)
    [ -n "$box" ] || return 1
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key "$1"
}
records() { grep -c 'Backup gestartet' "${1:-$log}" 2>/dev/null || echo 0; }
has() { grep -qF -- "$1" "${2:-$log}"; }  # TEXT [FILE]
set_file() {  # FILE MODE then SOURCE SUBDIRS MASKS TARGET per entry
    local file=$1 mode=$2
    shift 2
    printf 'STANDARDZIEL=%s\r\nBACKUPMODE=%s\r\n' "$(win "$work/dst")" "$mode" >"$file"
    while [ $# -ge 4 ]; do
        printf '###\r\n%s\r\n%s\r\n%s\r\n%s\r\n' "$1" "$2" "$3" "$4" >>"$file"
        shift 4
    done
}

# A clean run: every copied file and created directory on record, code 0.
mkdir -p "$work/src/sub"
printf 'eins\r\n' >"$work/src/a.txt"
head -c 70000 /dev/urandom >"$work/src/sub/b.bin"
printf 'omega' >"$work/src/Ωμέγα.txt"
set_file "$work/clean.tsi" 1 "$(win "$work/src")" ja '*.*' '<Standardziel>'
run "$(win "$work/clean.tsi")" /START /CLOSE
check "clean run: exit code 0" test $rc = 0
check "clean run: files copied" cmp -s "$work/src/sub/b.bin" "$work/dst/sub/b.bin"
check "log starts with a byte-order mark" test "$(head -c 3 "$log" | od -An -tx1 | tr -d ' ')" = efbbbf
check "log names the set file and the mode" \
    has "Set: $(win "$work/clean.tsi")  Modus: Zieldatei immer überschreiben"
check "log names the entry" has "Eintrag 1: $(win "$work/src")\\ (mit Unterverzeichnissen)  Dateien: *.*  Ziel: $(win "$work/dst")\\"
check "log names every copied file" eval 'has "kopiert: $(win "$work/src/a.txt")  (6 Bytes)" &&
    has "kopiert: $(win "$work/src/sub/b.bin")  (70000 Bytes)" && has "kopiert: $(win "$work/src/Ωμέγα.txt")  (5 Bytes)"'
check "log names the created directory" has "Verzeichnis angelegt: $(win "$work/dst/sub")\\"
check "log ends with the summary and the code" \
    eval 'tail -n 1 "$log" | grep -q "Backup beendet\. / 3 Dateien wurden gesichert\. / .* Beendet\.  Exitcode 0.$"'
check "log lines end in CR LF" test "$(grep -c $'\r$' "$log")" = "$(wc -l <"$log")"

# A second run appends a second record.
run "$(win "$work/clean.tsi")" /START /CLOSE
check "two runs leave two records" test "$(records)" = 2
check "one byte-order mark only" test "$(grep -c $'\xEF\xBB\xBF' "$log")" = 1

# A directory in the way of a target file, answered "Nein": code 1.
mkdir -p "$work/src2" "$work/dst2/x.txt"
printf 'x' >"$work/src2/x.txt"
printf 'y' >"$work/src2/y.txt"
set_file "$work/inway.tsi" 1 "$(win "$work/src2")" nein '*.txt' "$(win "$work/dst2")"
rm -f "$log"
start "$(win "$work/inway.tsi")" /START /CLOSE
check "directory in the way: the question is shown" answer n
wait_exit
check "directory in the way, Nein: exit code 1" test $rc = 1
check "directory in the way, Nein: the other file saved" test -f "$work/dst2/y.txt"
check "question and answer on record" \
    has "Meldung: Konnte Zieldatei \"$(win "$work/dst2/x.txt")\" nicht anlegen. / Fehler: "
check "the answer is Nein" eval 'grep -q "Erneut versuchen ?  Antwort: Nein.$" "$log"'

# The same with /SKIPERRORS: no box; a box would keep the program waiting.
rm -f "$log" "$work/dst2/y.txt"
run "$(win "$work/inway.tsi")" /START /CLOSE /SKIPERRORS
check "/SKIPERRORS: ends by itself with code 1" test $rc = 1
check "/SKIPERRORS: the other file saved" test -f "$work/dst2/y.txt"
check "/SKIPERRORS: the answer on record" \
    eval 'grep -q "Erneut versuchen ?  Antwort: Nein (ohne Anzeige, /SKIPERRORS).$" "$log"'
check "/SKIPERRORS: the file passed over on record" has "übergangen: $(win "$work/dst2/x.txt")"

# Cancelled at the question: code 2, once the window is closed.
rm -f "$log"
start "$(win "$work/inway.tsi")" /START /CLOSE
check "cancel: the question is shown" answer Escape
sleep 1
wine taskkill /IM tresorix.exe >/dev/null 2>&1
wait_exit
check "cancel: exit code 2" test $rc = 2
check "cancel: on record" eval 'tail -n 1 "$log" | grep -q "Abgebrochen\.  Exitcode 2.$"'

# Closed while it runs, nobody watching: the code is the one on record. The
# run is long enough that the close request comes while it goes on.
mkdir -p "$work/many"
seq 1 20000 | split -l 1 -a 5 - "$work/many/f"
set_file "$work/many.tsi" 1 "$(win "$work/many")" nein '*.*' "$(win "$work/dst4")"
rm -f "$log"
start "$(win "$work/many.tsi")" /START /CLOSE /SKIPERRORS
timeout 30 xdotool search --sync --onlyvisible --name 'Backup wird ausgeführt' >/dev/null 2>&1
wine taskkill /IM tresorix.exe >/dev/null 2>&1
wait_exit
check "closed during the run: exit code 2" test $rc = 2
check "closed during the run: on record" eval 'tail -n 1 "$log" | grep -q "Abgebrochen\.  Exitcode 2.$"'
check "closed during the run: it stopped early" test "$(ls "$work/dst4" | wc -l)" -lt 20000
rm -rf "$work/many" "$work/dst4"

# A missing source: the run ends by an error, code 3.
set_file "$work/missing.tsi" 0 "$(win "$work/fehlt")" nein '*.*' "$(win "$work/dst")"
rm -f "$log"
run "$(win "$work/missing.tsi")" /START /CLOSE /SKIPERRORS
check "missing source: exit code 3" test $rc = 3
check "missing source: on record" has "Meldung: Fehler: Konnte nicht in das Quellverzeichnis \"$(win "$work/fehlt")\\\" wechseln."

# A set file that cannot be read: nothing runs, code 4.
rm -f "$log"
run "$(win "$work/gibtsnicht.tsi")" /START /CLOSE /SKIPERRORS
check "unreadable set file: exit code 4" test $rc = 4
check "unreadable set file: on record" eval 'has "Datei nicht gefunden! / $(win "$work/gibtsnicht.tsi")" && has "Exitcode 4"'

# /LOG= names another file, relative to the working directory.
rm -f "$log"
mkdir -p "$work/cwd/logs"
run "$(win "$work/clean.tsi")" /START /CLOSE /log=logs/Nacht.log
check "/LOG=: the record goes to the named file" test "$(records "$work/cwd/logs/Nacht.log")" = 1
check "/LOG=: none beside the program" test ! -e "$log"

# A log that cannot be written stops nothing.
rm -rf "$work/dst"
mkdir -p "$work/cwd/ein-ordner"
run "$(win "$work/clean.tsi")" /START /CLOSE "/LOG=$(win "$work/cwd/ein-ordner")"
check "unwritable log: the backup still runs" cmp -s "$work/src/sub/b.bin" "$work/dst/sub/b.bin"
check "unwritable log: exit code 0" test $rc = 0

# Larger than 10 MiB at the start of a run: moved aside to tresorix.log.1.
head -c 100 /dev/zero | tr '\0' 'x' >"$log"
truncate -s 10485761 "$log"
printf 'alt' >"$log.1"
run "$(win "$work/clean.tsi")" /START /CLOSE
check "rollover: the old log is tresorix.log.1" test "$(stat -c %s "$log.1")" = 10485761
check "rollover: a new log begins" eval 'test "$(head -c 3 "$log" | od -An -tx1 | tr -d " ")" = efbbbf && test "$(records)" = 1'

# A program folder the log cannot be written to: the user's own folder.
rm -f "$log"
mkdir -p "$log"
userlog=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Local)/Tresorix/tresorix.log
rm -f "$userlog"
run "$(win "$work/clean.tsi")" /START /CLOSE
check "log in the user's folder when the program's is closed" eval 'test "$(records "$userlog")" = 1 &&
    test "$(head -c 3 "$userlog" | od -An -tx1 | tr -d " ")" = efbbbf'
rm -rf "$log" "$userlog"

# Targets that are not full paths: a relative one, and an empty one (a bare
# "\", as the program writes an empty target). Each is told in a box and passed over;
# the entry between them is saved; nothing lands in the working directory,
# the program's folder or the drive's root.
rm -f "$log"
mkdir -p "$work/src3"
marker=tresorix-runlog-$$.txt
printf 'z' >"$work/src3/$marker"
set_file "$work/relative.tsi" 0 "$(win "$work/src3")" nein "$marker" 'extra line' \
    "$(win "$work/src3")" nein "$marker" "$(win "$work/dst3")"
printf '###\r\n%s\r\nnein\r\n%s\r\n\\\r\n' "$(win "$work/src3")" "$marker" >>"$work/relative.tsi"
start "$(win "$work/relative.tsi")" /START /CLOSE
check "relative target: a box is shown" answer Return
check "empty target: a box is shown" answer Return
wait_exit
check "targets not full paths: exit code 1" test $rc = 1
check "the entry between them saved" test -f "$work/dst3/$marker"
check "nothing outside the intended target" eval 'test ! -e "/$marker" -a ! -e "$WINEPREFIX/drive_c/$marker" &&
    test -z "$(find "$work" -name "$marker" | grep -v "^$work/src3/\|^$work/dst3/")"'
check "no folder of the relative target" test ! -e "$work/cwd/extra line" -a ! -e "$work/prog/extra line"
check "the messages on record" eval 'has "Meldung: Eintrag 1 ($(win "$work/src3")) wird nicht gesichert: / sein Ziel \"extra line\\\" ist kein vollständiger Pfad." &&
    has "Meldung: Eintrag 3 ($(win "$work/src3")) wird nicht gesichert: / sein Ziel \"\\\" ist kein vollständiger Pfad."'

# A target drive that is not there: asked once for the entry, not for each
# of its directories; unattended, the entry saves nothing and the run ends
# as by an error, code 3.
if [ ! -e "$WINEPREFIX/dosdevices/x:" ]; then
    mkdir -p "$work/src4/eins" "$work/src4/zwei"
    printf 'a' >"$work/src4/eins/a.txt"
    printf 'b' >"$work/src4/zwei/b.txt"
    set_file "$work/nodrive.tsi" 1 "$(win "$work/src4")" ja '*.*' 'X:\Sicherung'
    run "$(win "$work/nodrive.tsi")" /START /CLOSE /SKIPERRORS
    check "missing target drive: exit code 3" test $rc = 3
    check "missing target drive: asked once" test "$(grep -c 'Meldung: Ziellaufwerk X: ist nicht bereit.' "$log")" = 1
fi

# No window can be made (no display for a moment): on record, code 4, and
# the process ends instead of waiting or dying without a word.
(unset DISPLAY; cd "$work/cwd" && exec wine "$prog" /SKIPERRORS </dev/null >/dev/null 2>&1) &
pid=$!
wait_exit
check "no window: exit code 4" test $rc = 4
check "no window: on record" eval 'tail -n 2 "$log" | grep -q "Meldung: Tresorix konnte nicht starten." &&
    tail -n 1 "$log" | grep -q "Exitcode 4.\?$"'

# A switch value that is no number, nobody watching: the setting stays (no
# versions), the log names the switch after its first line, which says so,
# and the exit code is 1.
rm -f "$log"
run "$(win "$work/clean.tsi")" /START /CLOSE /SKIPERRORS /VERSIONEN=30d
check "/VERSIONEN=30d: ends by itself with code 1" test $rc = 1
check "/VERSIONEN=30d: the first line says no versions are kept" eval 'head -n 1 "$log" | grep -q "  Versionen: aus.$"'
check "/VERSIONEN=30d: the switch is named" \
    has "  Meldung: Der Schalter /VERSIONEN=30d nennt keine Zahl von Tagen (0 bis 3650) und wird nicht beachtet. / Es bleibt bei der Einstellung (Versionen: aus).  Antwort: OK (ohne Anzeige, /SKIPERRORS)"
check "/VERSIONEN=30d: the run still saves" eval 'tail -n 1 "$log" | grep -q "Beendet\.  Exitcode 1.$"'

# A set file as people edit it: blanks around "=" and around "###", and one
# "###" forgotten, which costs the entry after it. The other two are saved;
# the lines passed over are in the log with their numbers; code 1.
rm -f "$log"
mkdir -p "$work/src5"
printf 'fünf' >"$work/src5/f.txt"
s5=$(win "$work/src5")
printf 'Standardziel = %s\r\n  backupmode = 1\r\n### \r\n%s\r\nnein\r\n*.txt\r\n<Standardziel>\\eins\r\n' \
    "$(win "$work/dst5")" "$s5" >"$work/hand.tsi"
printf '%s\r\nnein\r\n*.txt\r\n<Standardziel>\\zwei\r\n  ###\r\n%s\r\nnein\r\n*.txt\r\n<Standardziel>\\drei\r\n' \
    "$s5" "$s5" >>"$work/hand.tsi"
run "$(win "$work/hand.tsi")" /START /CLOSE /SKIPERRORS
check "hand-edited set: code 1" test $rc = 1
check "hand-edited set: the default target with blanks around = is taken" eval 'cmp -s "$work/src5/f.txt" "$work/dst5/eins/f.txt" &&
    cmp -s "$work/src5/f.txt" "$work/dst5/drei/f.txt"'
check "hand-edited set: the entry without its ### is not run" test ! -e "$work/dst5/zwei"
check "hand-edited set: the lines passed over are named" \
    has " wurden Zeilen überlesen, die nach den vier Zeilen eines Eintrags vor dem nächsten \"###\" stehen: / Zeile 8: $s5 / Zeile 9: nein / Zeile 10: *.txt / Zeile 11: <Standardziel>\\zwei  Antwort: OK"

echo "runlog: $failures failed"
[ $failures -eq 0 ]
