#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors and runs the whole test suite.
#   scripts/run-tests.sh            # build/ , RelWithDebInfo
#   scripts/run-tests.sh --asan     # build-asan/ , AddressSanitizer + UBSan
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
build="$top/build"
options=()
if [ "${1:-}" = "--asan" ]; then
    build="$top/build-asan"
    # No benchmarks, and -O1 with line tables only: the sanitized build compiles a good deal
    # faster and its reports still name file and line.
    options+=(-DVORMATIC_SANITIZE=ON -DVORMATIC_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1")
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$top/scripts/build.sh" "$build" ${options[@]+"${options[@]}"}
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
