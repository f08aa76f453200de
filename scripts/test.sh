#!/usr/bin/env bash
# Builds both builds and runs every test: the portable core natively under
# the sanitizers, the fuzz targets briefly, then the Windows build's tests
# under Wine on a virtual display of their own.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)
status=0

scripts/build.sh native win fuzz || exit 1

echo "== portable core, native (ASan/UBSan)"
(cd build/native && ctest --output-on-failure -j"$jobs") || status=1

echo "== fuzz targets"
for f in build/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    corpus=fuzz/corpus/$(basename "$f" | sed 's/^fuzz_//')
    mkdir -p build/fuzz/work
    "$f" -max_total_time=15 -max_len=65536 -timeout=5 -rss_limit_mb=2048 \
        $( [ -d "$corpus" ] && echo "$corpus" ) >build/fuzz/work/$(basename "$f").log 2>&1 \
        && echo "$(basename "$f"): ok" \
        || { echo "$(basename "$f"): FAILED"; tail -30 build/fuzz/work/$(basename "$f").log; status=1; }
done

echo "== Windows build under Wine"
. scripts/wine-env.sh "$top/build/win"
export TRESORIX_OWN_DISPLAY=1
wine_prefix_init
display_start
wineserver_start
(cd build/win && ctest --output-on-failure -j1) || status=1
wineserver_stop
display_stop
exit $status
