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
# New inputs go to a work corpus under build/; the seeds in fuzz/corpus stay
# as they are. Inputs stay below 4 KiB: a set file, settings file or command
# line of that size already holds every construct, and longer ones only make
# each run slower.
# A small quarantine and short allocation stacks: the inputs are small and
# short-lived, and ASan's defaults made every run touch fresh memory.
export ASAN_OPTIONS=quarantine_size_mb=16:malloc_context_size=4
for f in build/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f" | sed 's/^fuzz_//')
    work=build/fuzz/work/corpus-$name
    mkdir -p "$work"
    "$f" -max_total_time=15 -max_len=4096 -timeout=5 -rss_limit_mb=2048 -dict=fuzz/$name.dict \
        "$work" fuzz/corpus/$name >build/fuzz/work/fuzz_$name.log 2>&1 \
        && echo "fuzz_$name: ok, $(grep -o 'exec/s: [0-9]*' build/fuzz/work/fuzz_$name.log | tail -1)" \
        || { echo "fuzz_$name: FAILED"; tail -30 build/fuzz/work/fuzz_$name.log; status=1; }
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
