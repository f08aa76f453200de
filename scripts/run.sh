#!/usr/bin/env bash
# Starts Tresorix under Wine. With a display it simply runs the program.
# Without one it backs up the bundled demo set on a virtual display
# ("/START"), saves a screenshot of the progress window with the summary box
# the run ends with, answers the box, closes the program and prints what was
# saved.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
. scripts/wine-env.sh "$top/build/win"
wine_prefix_init

# The program keeps its settings file beside itself: run a copy of its own.
run=$top/build/run
mkdir -p "$run"
cp build/win/tresorix.exe "$run/"

if [ -n "${DISPLAY:-}" ]; then
    exec wine "$run/tresorix.exe" "$@"
fi

demo=$WINEPREFIX/drive_c/TresorixDemo
rm -rf "$demo"
mkdir -p "$demo/Quelle/Briefe/2026" "$demo/Quelle/Bilder"
for i in 1 2 3; do
    printf 'Brief %s\r\n' "$i" >"$demo/Quelle/Briefe/brief$i.txt"
    printf 'Rechnung %s\r\n' "$i" >"$demo/Quelle/Briefe/2026/rechnung$i.doc"
    head -c $((i * 40000)) /dev/zero | tr '\0' 'x' >"$demo/Quelle/Bilder/bild$i.bmp"
done
printf 'nicht gesichert\r\n' >"$demo/Quelle/notiz.tmp"
cp demo/demo.tsi "$demo/demo.tsi"

display_start
wineserver_start
trap 'wineserver_stop; display_stop' EXIT
wine "$run/tresorix.exe" 'C:\TresorixDemo\demo.tsi' /START </dev/null >/dev/null 2>&1 &
pid=$!
shot=$top/build/run/screenshot.png
# The run ends with its summary box while the progress window still shows
# the final values; the run waits for the answer, so the picture can wait
# until two shots in a row are the same: everything is painted.
box=$(timeout 120 xdotool search --sync --onlyvisible --name '^Information$' 2>/dev/null | head -1 || true)
if [ -n "$box" ]; then
    # Both are centred on the screen: the box goes below the progress window.
    xdotool windowmove "$box" x $(($(xdotool getdisplaygeometry | cut -d' ' -f2) * 3 / 5)) 2>/dev/null || true
    prev=$run/shot-a.rgb cur=$run/shot-b.rgb
    import -window root "$prev" 2>/dev/null || true
    for _ in $(seq 1 100); do
        import -window root "$cur" 2>/dev/null || true
        cmp -s "$prev" "$cur" && break
        mv "$cur" "$prev"
    done
    import -window root "$shot" 2>/dev/null || true
    rm -f "$prev" "$cur"
    xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
    wine taskkill /IM tresorix.exe >/dev/null 2>&1 || true
else
    echo "run: no summary box appeared" >&2
fi
if ! timeout 60 tail --pid="$pid" -f /dev/null; then
    echo "run: Tresorix did not end by itself; stopping it" >&2
    kill "$pid" 2>/dev/null || true
fi
echo "Screenshot: $shot"
echo "Saved into C:\\TresorixDemo\\Sicherung:"
(cd "$demo/Sicherung" 2>/dev/null && find . -type f | sort | sed 's|^\./|  |') || echo "  (nothing)"
