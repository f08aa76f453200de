#!/usr/bin/env bash
# Configures and builds the named builds: native (portable core with
# sanitizers), win (the program and its tests), fuzz (libFuzzer targets).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
for b in "$@"; do
    case $b in
    native) args=(-DCMAKE_BUILD_TYPE=Debug) ;;
    win) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake) ;;
    fuzz) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRESORIX_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    *) echo "build.sh: unknown build $b" >&2; exit 2 ;;
    esac
    [ -f build/$b/build.ninja ] || cmake -S . -B build/$b -G Ninja "${args[@]}" >/dev/null
    cmake --build build/$b
done
