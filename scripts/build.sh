#!/usr/bin/env bash
# Configures and builds the named builds: native (portable core with
# sanitizers), win (the program and its tests), fuzz (libFuzzer targets).
# With --target NAME first, only that target of each build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
target=()
if [ "${1:-}" = --target ]; then
    target=(--target "$2")
    shift 2
fi
for b in "$@"; do
    case $b in
    native) args=(-DCMAKE_BUILD_TYPE=Debug) ;;
    win) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake) ;;
    fuzz) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRESORIX_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    *) echo "build.sh: unknown build $b" >&2; exit 2 ;;
    esac
    # Configured again when the build's type changed since (fuzz: optimised).
    if [ ! -f build/$b/build.ninja ] || ! grep -qx "${args[0]#-D}" <(sed 's/:STRING=/=/' build/$b/CMakeCache.txt); then
        cmake -S . -B build/$b -G Ninja "${args[@]}" >/dev/null
    fi
    cmake --build build/$b "${target[@]}"
done
