#!/usr/bin/env bash
# Drives every shortcut of the main window's keyboard table from outside,
# through the X server as a user's keyboard would, with the focus on the
# conflict mode's radio buttons, and checks that no shortcut changes a
# control it does not name: the conflict mode, the check boxes and the
# modified flag stay as loaded. Needs WINEPREFIX and DISPLAY (scripts/test.sh).
# Usage: shortcuts.sh PATH/TO/tresorix.exe
set -uo pipefail
exe=$1
. "$(dirname "$0")/lib.sh"
# The first visible window whose title matches, waiting for it at most 30 s.
wait_window() {  # TITLE-REGEX
    timeout 30 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}
# Presses a key into a window of the program once it has the focus.
press() {  # WINDOW KEY...
    xdotool windowfocus --sync "$1" 2>/dev/null
    shift
    xdotool key "$@"
}
# Waits until the program ended; a question on the way means it had
# something to save, which no shortcut here may cause.
wait_exit() {
    local question
    for _ in $(seq 1 600); do
        kill -0 $pid 2>/dev/null || return 0
        question=$(xdotool search --onlyvisible --name '^Bestätigung$' 2>/dev/null | head -1)
        if [ -n "$question" ]; then
            echo "  the set was marked modified"
            return 1
        fi
        sleep 0.1
    done
    echo "  the program did not end"
    return 1
}

mkdir -p "$work/src" "$work/dst"
printf 'eins\r\n' >"$work/src/a.txt"
set_file=$work/set.tsi
printf 'STANDARDZIEL=%s\r\nBACKUPMODE=1\r\n###\r\n%s\r\nja\r\n*.*\r\n<Standardziel>\r\n' \
    "$(win "$work/dst")" "$(win "$work/src")" >"$set_file"
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

# KEYS and the title of the window the command opens ("" for none): that
# window is answered with Escape, the summary box with Enter.
while IFS='|' read -r keys opens; do
    [ -n "$keys" ] || continue
    wine reg delete "$run_key" /v Tresorix /f >/dev/null 2>&1
    rm -rf "$work/prog"
    mkdir -p "$work/prog"
    cp "$exe" "$work/prog/tresorix.exe"
    wine "$work/prog/tresorix.exe" "$(win "$set_file")" </dev/null >/dev/null 2>&1 &
    pid=$!
    main=$(wait_window '^ Tresorix  -  set\.tsi$')
    ok=1
    if [ -z "$main" ]; then
        echo "  the main window did not appear"
        ok=0
    else
        # The list has the focus: Home selects its row, so that Entf has an
        # entry to ask about; then Alt+I moves the focus to the selected mode.
        press "$main" Home alt+i
        press "$main" "$keys"
        if [ -n "$opens" ]; then
            dialog=$(wait_window "$opens")
            if [ -z "$dialog" ]; then
                echo "  no window \"$opens\" opened"
                ok=0
            elif [ "$opens" = '^Information$' ]; then
                press "$dialog" Return
            else
                press "$dialog" Escape
            fi
        fi
        if [ "$keys" != alt+x ]; then
            # Strg+Entf asks a question; once it is up, every key before it
            # has been handled. Then the program is closed as a user would.
            question=$(press "$main" ctrl+Delete; wait_window '^Bestätigung$')
            [ -n "$question" ] && press "$question" Escape
            wine taskkill /IM tresorix.exe >/dev/null 2>&1
        fi
        wait_exit || ok=0
    fi
    kill -9 $pid 2>/dev/null
    wait $pid 2>/dev/null
    pid=
    ini=$work/prog/tresorix.INI
    if [ $ok = 1 ]; then
        mode=$(ini_value "$ini" STANDARDS BACKUPMODE)
        close=$(ini_value "$ini" STANDARDS AUTOCLOSE)
        start=$(ini_value "$ini" STANDARDS AUTOSTART)
        [ "$mode" = 1 ] || { echo "  conflict mode $mode instead of 1"; ok=0; }
        [ "$close$start" = 00 ] || { echo "  AUTOCLOSE $close, AUTOSTART $start"; ok=0; }
        if wine reg query "$run_key" /v Tresorix >/dev/null 2>&1; then
            echo "  load at every Windows start got ticked"
            ok=0
        fi
    fi
    if [ $ok = 1 ]; then echo "PASS: $keys"; else echo "FAIL: $keys"; failures=$((failures + 1)); fi
done <<'TABLE'
alt+x|
ctrl+b|Eintrag bearbeiten$
ctrl+d|^Information$
ctrl+i|Programminformation$
ctrl+o|^(Open|Öffnen)$
ctrl+s|
ctrl+t|
ctrl+u|^(Save As|Speichern unter)$
ctrl+v|
ctrl+Delete|^Bestätigung$
Delete|^Bestätigung$
KP_Subtract|^Bestätigung$
Insert|neuen Eintrag anlegen$
KP_Add|neuen Eintrag anlegen$
alt+Return|Eintrag bearbeiten$
TABLE

echo "shortcuts: $failures failed"
[ $failures -eq 0 ]
