#!/usr/bin/env bash
# Starts Tresorix under Wine. With a display it simply runs the program.
# Without one it backs up the bundled demo set unattended ("/START /CLOSE")
# on a virtual display, saves a screenshot taken during the run and prints
# what was saved.
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
wine "$run/tresorix.exe" 'C:\TresorixDemo\demo.tsi' /START /CLOSE &
pid=$!
shot=$top/build/run/screenshot.png
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    import -window root "$shot" 2>/dev/null || true
    sleep 0.2
done
if ! timeout 60 tail --pid="$pid" -f /dev/null; then
    echo "run: Tresorix did not end by itself; stopping it" >&2
    kill "$pid" 2>/dev/null || true
fi
echo "Screenshot: $shot"
echo "Saved into C:\\TresorixDemo\\Sicherung:"
(cd "$demo/Sicherung" 2>/dev/null && find . -type f | sort | sed 's|^\./|  |') || echo "  (nothing)"
