#!/usr/bin/env bash
# Configures and builds into the folder given (default: build).
#   scripts/build.sh [DIR] [-DOPTION=VALUE...] [TARGET...]
# CMake options (-D...) are passed on; any other argument names a target to build instead of
# everything. Warnings are errors in every folder this script builds: the run command and the
# test command share build/, and flags that differ between them would recompile all of it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
shift || true
options=(-DVORMATIC_WERROR=ON)
targets=()
for arg in "$@"; do
    case $arg in
        -D*) options+=("$arg") ;;
        *) targets+=("$arg") ;;
    esac
done
if command -v ccache >/dev/null; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
    "${options[@]}" >/dev/null
# Progress as step, total and share done; on a terminal ninja keeps it on one line.
NINJA_STATUS=${NINJA_STATUS:-"[%f/%t %p] "} ninja -C "$build" "${targets[@]}"
