#!/usr/bin/env bash
# Compiles the Qt-free host layer, Windows half included, with the MinGW-w64 cross compiler
# (syntax and warnings only), so the Windows side cannot rot while the program is built and
# tested on Linux.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cxx=x86_64-w64-mingw32-g++-posix
if ! command -v "$cxx" >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        g++-mingw-w64-x86-64-posix
fi
flags=(-std=c++20 -fsyntax-only -I"$top" -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
       -Wold-style-cast -Wcast-align -Wunused -Woverloaded-virtual -Wconversion -Werror)
count=0
for source in "$top"/host/*.cpp "$top"/host/win32/*.cpp "$top"/xport/*.cpp; do
    "$cxx" "${flags[@]}" "$source"
    count=$((count + 1))
done
echo "host layer and XPort protocols for Windows: $count files compile cleanly"
