#!/usr/bin/env bash
# Builds the libFuzzer targets (clang++, AddressSanitizer and UBSan) into build-fuzz/ and runs
# each for as long as asked, starting from its seed corpus in fuzz/<target>/corpus/.
#
#   scripts/fuzz.sh [seconds per target, default 20] [target ...]
#
# New inputs go to build-fuzz/corpus/<target>/ (the seeds stay as they are), a failing input
# to build-fuzz/artifacts/<target>/. The exit status is 1 when any target found a fault.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
all=(printer_answer branding reg_hive ini_file before_ports xport_datagram telnet_dialogue telnet_codec)
targets=("${@:-${all[@]}}")
build="$top/build-fuzz"

if ! command -v clang++ >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORMATIC_WERROR=ON \
      -DVORMATIC_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
ninja -C "$build" -j"$(nproc)" $(printf 'fuzz_%s ' "${targets[@]}")

failed=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    log="$build/fuzz_$target.log"
    echo "== $target: ${seconds}s"
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 -max_len=4096 \
           -print_final_stats=1 -artifact_prefix="$artifacts/" \
           "$corpus" "$top/fuzz/$target/corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        echo "   $runs executions, $speed per second, no fault"
    else
        failed+=("$target")
        grep -E "property broken|ERROR|SUMMARY" "$log" | head -5 || true
        echo "   FAULT: see $log and $artifacts/"
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz targets with faults: ${failed[*]}"
    exit 1
fi
