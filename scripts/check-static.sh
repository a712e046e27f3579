#!/usr/bin/env bash
# The static checks CI runs: the layer rule (scripts/check-layers.sh), the tree formatted as
# .clang-format says, and clang-tidy with .clang-tidy over the program, its libraries and tools
# (warnings are errors). clang-tidy reads the compile commands of a configured build:
#   scripts/check-static.sh [build-folder]     # default: build/ (configured if it is not)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
cd "$top"

missing=()
for p in clang-format clang-tidy; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

echo "--- layers"
scripts/check-layers.sh

echo "--- formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

echo "--- clang-tidy"
if [ ! -f "$build/compile_commands.json" ]; then
    "$top/scripts/install-deps.sh"
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Moc and resource files are generated; the checks cover the code written here.
ninja -C "$build" >/dev/null
run-clang-tidy -p "$build" -quiet -j "$(nproc)" -extra-arg=-Wno-unknown-warning-option \
    "^$top/(app|pages|host|xport|installer|tools)/" >"$build/clang-tidy.log" 2>&1 || {
    grep -E "error:|warning:" "$build/clang-tidy.log" | sort -u
    echo "clang-tidy found problems (full output: $build/clang-tidy.log)"
    exit 1
}
echo "clang-tidy: clean"
